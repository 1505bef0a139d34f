#pragma once
// The in-memory dialog template that the window system builds a form's
// dialog from: a header (style, control count, a placeholder size, no menu,
// the standard dialog class, the caption) and, aligned to 32 bits, one item
// per control (style, extended style, placeholder place, id, predefined
// class, text), all in 16-bit words with texts as UTF-16.  The sizes are
// placeholders because the form places its controls in pixels when it
// starts.  Style bits are the window system's own numbers.

#include <cstdint>
#include <vector>

#include "dialogs/form.h"

namespace fizzlet {

// The predefined window class of a control and its style bits.
struct ControlClass {
  std::uint16_t atom;  // button, edit, static or scroll bar
  std::uint32_t style;
  std::uint32_t ex_style;
  friend bool operator==(const ControlClass &, const ControlClass &) = default;
};

namespace dialog_style {
inline constexpr std::uint16_t kButtonAtom = 0x0080, kEditAtom = 0x0081, kStaticAtom = 0x0082,
                               kScrollBarAtom = 0x0084;
// The dialog: a popup with a caption, a system menu and a modal frame.
inline constexpr std::uint32_t kForm = 0x80000000u | 0x00C00000u | 0x00080000u | 0x80u;
inline constexpr std::uint32_t kChild = 0x40000000u, kVisible = 0x10000000u, kTabStop = 0x00010000u;
inline constexpr std::uint32_t kLabelNoWrap = 0x0Cu, kLabelCentred = 0x01u, kLabelRight = 0x02u,
                               kLabelOwnerDrawn = 0x0Du, kLabelNoPrefix = 0x80u,
                               kLabelNotify = 0x100u;
inline constexpr std::uint32_t kPushButton = 0x00u, kDefaultPushButton = 0x01u,
                               kAutoCheckBox = 0x03u;
inline constexpr std::uint32_t kEditPassword = 0x20u, kEditAutoScroll = 0x80u, kClientEdge = 0x200u;
inline constexpr std::uint32_t kHorizontalBar = 0x00u;
}  // namespace dialog_style

// Labels that have a tool tip must see the mouse (notify); every control
// that takes the focus is a tab stop.
ControlClass control_class(const ControlSpec &control);

// The whole template of the form, its texts plain ASCII.
std::vector<std::uint16_t> dialog_template(const FormSpec &spec);

}  // namespace fizzlet
