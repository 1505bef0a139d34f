#include "dialogs/form.h"

#include <algorithm>
#include <cstdlib>

namespace fizzlet {

int twips_to_pixels(int twips, int twips_per_pixel) {
  if (twips_per_pixel < 1) twips_per_pixel = 15;
  const std::div_t parts = std::div(twips, twips_per_pixel);
  int rounded = parts.quot;
  // The remainder has the sign of twips; compare its size with half a pixel.
  const int twice = 2 * std::abs(parts.rem);
  const int away = twips < 0 ? -1 : 1;
  if (twice > twips_per_pixel || (twice == twips_per_pixel && parts.quot % 2 != 0)) {
    rounded += away;
  }
  return rounded;
}

PixelRect to_pixels(const TwipsRect& rect, int twips_per_pixel_x, int twips_per_pixel_y) {
  return {twips_to_pixels(rect.left, twips_per_pixel_x), twips_to_pixels(rect.top, twips_per_pixel_y),
          twips_to_pixels(rect.width, twips_per_pixel_x),
          twips_to_pixels(rect.height, twips_per_pixel_y)};
}

bool is_label(ControlKind kind) {
  return kind == ControlKind::label || kind == ControlKind::centred_label ||
         kind == ControlKind::right_label || kind == ControlKind::title_label;
}

bool is_tab_stop(ControlKind kind) { return !is_label(kind) && kind != ControlKind::picture; }

bool shows_text(ControlKind kind) {
  return is_label(kind) || kind == ControlKind::button || kind == ControlKind::default_button ||
         kind == ControlKind::check_box;
}

namespace {

constexpr int kLabelGapTwips = 60;
constexpr int kButtonPaddingTwips = 120;
constexpr int kCheckBoxPaddingTwips = 300;

bool share_height(const TwipsRect& a, const TwipsRect& b) {
  return a.top < b.top + b.height && b.top < a.top + a.height;
}

}  // namespace

int text_room(const FormSpec& form, const ControlSpec& control) {
  switch (control.kind) {
    case ControlKind::button:
    case ControlKind::default_button: return control.rect.width - kButtonPaddingTwips;
    case ControlKind::check_box: return control.rect.width - kCheckBoxPaddingTwips;
    case ControlKind::label: break;
    default: return control.rect.width;
  }
  const TwipsRect& label = control.rect;
  int right = form.client_width;
  for (const ControlSpec& other : form.controls) {
    const TwipsRect& r = other.rect;
    if (&other != &control && r.left >= label.left + label.width && share_height(label, r)) {
      right = std::min(right, r.left - kLabelGapTwips);
    }
  }
  return std::max(label.width, right - label.left);
}

FormLayout lay_out_form(const FormSpec& form, int twips_per_pixel_x, int twips_per_pixel_y) {
  FormLayout layout{twips_to_pixels(form.client_width, twips_per_pixel_x),
                    twips_to_pixels(form.client_height, twips_per_pixel_y),
                    twips_to_pixels(kFormFontTwips, twips_per_pixel_y),
                    {}};
  for (const ControlSpec& control : form.controls) {
    layout.controls.push_back({&control, to_pixels(control.rect, twips_per_pixel_x, twips_per_pixel_y),
                               control.kind == ControlKind::title_label, shows_text(control.kind),
                               twips_to_pixels(text_room(form, control), twips_per_pixel_x)});
  }
  return layout;
}

int fitted_label_width(const PlacedControl& control, int needed) {
  const int width = control.place.width;
  return std::clamp(needed, width, std::max(width, control.text_room));
}

const ControlSpec* FormSpec::find(int id) const {
  for (const ControlSpec& control : controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

bool HandlerGuard::enter() {
  if (inside_) return false;
  inside_ = true;
  close_pending_ = false;
  return true;
}

bool HandlerGuard::leave() {
  inside_ = false;
  const bool close = close_pending_;
  close_pending_ = false;
  return close;
}

bool HandlerGuard::request_close() {
  if (!inside_) return true;
  close_pending_ = true;
  return false;
}

}  // namespace fizzlet
