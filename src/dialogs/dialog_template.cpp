#include "dialogs/dialog_template.h"

#include <string_view>
#include <utility>

namespace fizzlet {

using namespace dialog_style;

ControlClass control_class(const ControlSpec &control) {
  const std::uint32_t tab = is_tab_stop(control.kind) ? kTabStop : 0;
  const std::uint32_t notify = control.tool_tip.empty() ? 0 : kLabelNotify;
  switch (control.kind) {
    case ControlKind::label: return {kStaticAtom, kLabelNoWrap | kLabelNoPrefix | notify, 0};
    case ControlKind::centred_label:
    case ControlKind::title_label: return {kStaticAtom, kLabelCentred | kLabelNoPrefix | notify, 0};
    case ControlKind::right_label: return {kStaticAtom, kLabelRight | kLabelNoPrefix | notify, 0};
    case ControlKind::button: return {kButtonAtom, kPushButton | tab, 0};
    case ControlKind::default_button: return {kButtonAtom, kDefaultPushButton | tab, 0};
    case ControlKind::password_box:
      return {kEditAtom, kEditPassword | kEditAutoScroll | tab, kClientEdge};
    case ControlKind::check_box: return {kButtonAtom, kAutoCheckBox | tab, 0};
    case ControlKind::horizontal_scroll: return {kScrollBarAtom, kHorizontalBar | tab, 0};
    case ControlKind::picture: return {kStaticAtom, kLabelOwnerDrawn | notify, 0};
  }
  return {kStaticAtom, 0, 0};
}

namespace {

class TemplateWriter {
 public:
  void word(std::uint16_t w) { words_.push_back(w); }
  void dword(std::uint32_t d) {
    word(static_cast<std::uint16_t>(d & 0xFFFFu));
    word(static_cast<std::uint16_t>(d >> 16));
  }
  void text(std::string_view s) {
    for (char c : s) word(static_cast<unsigned char>(c));
    word(0);
  }
  void placeholder_place() {
    for (int i = 0; i < 4; ++i) word(0);  // x, y, cx, cy
  }
  void align() {
    if (words_.size() % 2 != 0) word(0);
  }
  std::vector<std::uint16_t> take() { return std::move(words_); }

 private:
  std::vector<std::uint16_t> words_;
};

}  // namespace

std::vector<std::uint16_t> dialog_template(const FormSpec &spec) {
  TemplateWriter out;
  out.dword(kForm);
  out.dword(0);
  out.word(static_cast<std::uint16_t>(spec.controls.size()));
  out.placeholder_place();
  out.word(0);  // no menu
  out.word(0);  // standard dialog class
  out.text(spec.caption);
  for (const ControlSpec &control : spec.controls) {
    const ControlClass kind = control_class(control);
    out.align();
    out.dword(kChild | kVisible | kind.style);
    out.dword(kind.ex_style);
    out.placeholder_place();
    out.word(static_cast<std::uint16_t>(control.id));
    out.word(0xFFFF);  // a predefined class follows
    out.word(kind.atom);
    out.text(control.text);
    out.word(0);  // no creation data
  }
  return out.take();
}

}  // namespace fizzlet
