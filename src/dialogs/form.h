#pragma once
// The dialogs' forms as plain data: every control with its kind, caption,
// tool tip and place in twips, listed in tab order, and the rules that turn
// twips into pixels.  The Windows layer builds real dialogs from these
// tables; nothing here knows the window system.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/pixel_rect.h"

namespace fizzlet {

// Twips (1/1440 inch) to whole pixels: divided by the axis's twips per
// pixel and rounded to the nearest integer, halves to even.  A factor below
// 1 counts as 15 (96 pixels per inch).
int twips_to_pixels(int twips, int twips_per_pixel);

struct TwipsRect {
  int left = 0, top = 0, width = 0, height = 0;
};
PixelRect to_pixels(const TwipsRect& rect, int twips_per_pixel_x, int twips_per_pixel_y);

enum class ControlKind {
  label,           // one line of text, left-aligned
  centred_label,
  right_label,
  title_label,     // a centred title line in bold
  button,
  default_button,  // pressed by Enter when no other button has the focus
  password_box,    // a text box that shows "*" for every character
  check_box,
  horizontal_scroll,
  picture,         // a picture stretched to the control
};

// Labels and pictures take no focus; every other kind is a tab stop.
bool is_tab_stop(ControlKind kind);
bool is_label(ControlKind kind);
// Labels, buttons and check boxes show their text.
bool shows_text(ControlKind kind);

struct ControlSpec {
  int id;
  ControlKind kind;
  std::string_view text;  // caption; empty for boxes, bars and pictures
  TwipsRect rect;
  std::string_view tool_tip = {};
};

struct FormSpec {
  std::string_view caption;
  int client_width;   // twips
  int client_height;  // twips
  std::span<const ControlSpec> controls;  // in tab order

  const ControlSpec* find(int id) const;
};

// The font of every form: 8 points, that is 160 twips tall.
inline constexpr int kFormFontTwips = 8 * 20;

// The width that a control's text may take, in twips.  A left-aligned label
// may grow to the right into free room: up to the nearest control beside it
// (one that shares some of its height), less a small gap, or to the edge of
// the form.  Other labels keep their width; buttons and check boxes leave
// room for their edges or their square.
int text_room(const FormSpec& form, const ControlSpec& control);

// A form laid out at a resolution, in pixels: its client area, the height
// of its font, and every control's place, font and room for its text.
struct PlacedControl {
  const ControlSpec* spec = nullptr;
  PixelRect place;
  bool bold = false;        // the title's font
  bool shows_text = false;  // its text is measured and fitted
  int text_room = 0;        // see text_room
};
struct FormLayout {
  int client_width = 0;
  int client_height = 0;
  int font_height = 0;
  std::vector<PlacedControl> controls;
};
FormLayout lay_out_form(const FormSpec& form, int twips_per_pixel_x, int twips_per_pixel_y);

// Every text stays on one line inside its control.  A left-aligned label
// is as wide as its text needs, at least its place and at most its room;
// where the system's font is wider still than the one the form was designed
// with, the text gets a smaller size of the same font, one pixel at a time,
// never below kSmallestFontPixels.
int fitted_label_width(const PlacedControl& control, int needed);
inline constexpr int kSmallestFontPixels = 8;

// A handler that shows a message box or runs a modal window (a preview, a
// dialog over this one) lets the thread's messages run meanwhile, so input
// that still reaches its window could start the same handler again, and a
// close request could pull the window away underneath it.  The handler runs
// inside enter()/leave(); a close request while inside is kept and acted on
// when the handler has left.
class HandlerGuard {
 public:
  // False when a guarded handler is already running: do nothing then.
  bool enter();
  // True when a close was requested meanwhile: close now.
  bool leave();
  // True: close now.  False: inside a handler; leave() will say so.
  bool request_close();
  bool inside() const { return inside_; }

 private:
  bool inside_ = false;
  bool close_pending_ = false;
};

// A message box as the system shows it: text, title and icon, one OK button.
enum class MessageIcon { critical, exclamation };
struct MessageSpec {
  std::string_view text;
  std::string_view title;
  MessageIcon icon;
};

// The command that Escape gives in a dialog.
inline constexpr int kEscapeCommand = 2;

// A dialog's window as the dialog's rules drive it.
class FormWindow {
 public:
  virtual ~FormWindow() = default;
  virtual std::string text_of(int id) const = 0;
  virtual void set_text(int id, const std::string& text) const = 0;
  // A message box over the dialog with one OK button; returns when closed.
  virtual void show_message(const MessageSpec& message) const = 0;
  virtual void focus(int id) const = 0;
  // Closes the dialog; its unload handler runs as the window goes.
  virtual void unload() = 0;
};

}  // namespace fizzlet
