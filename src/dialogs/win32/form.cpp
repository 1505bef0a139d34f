#include "dialogs/win32/form.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "dialogs/dialog_template.h"
#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {

namespace {

constexpr char kFontFace[] = "MS Shell Dlg 2";
constexpr UINT kMsgDpiChanged = 0x02E0;  // WM_DPICHANGED (Windows 8.1 and later)

const DLGTEMPLATE* as_template(const std::vector<std::uint16_t>& words) {
  return reinterpret_cast<const DLGTEMPLATE*>(words.data());
}

UniqueFont make_font(int height_px, bool bold) {
  return UniqueFont(CreateFontA(-height_px, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace));
}

LONG text_width(HWND control, HFONT font) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(control, text.data(), length + 1);
  const WindowDc dc(control);
  if (dc.get() == nullptr) return 0;
  const Selection selection(dc.get(), font);
  RECT needed{0, 0, 0, 0};
  DrawTextA(dc.get(), text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return needed.right;
}

// Dialogs lay out their own controls from twips: on a change of monitor
// resolution the system must not move them as well (Windows 10 1703 and
// later would otherwise rescale the dialog from its placeholder template).
void keep_system_from_rescaling(HWND window) {
  using SetBehaviour = BOOL(WINAPI*)(HWND, int, int);
  constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 == nullptr) return;
  const auto set = reinterpret_cast<SetBehaviour>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetDialogDpiChangeBehavior")));
  if (set != nullptr) set(window, kDisableAll, kDisableAll);
}

}  // namespace

Form::Form(const FormSpec& spec, const ProcessValues& process, std::vector<FormPicture> pictures)
    : spec_(spec), process_(process), pictures_(std::move(pictures)) {}

Form::~Form() {
  if (window_ == nullptr) return;
  const HWND window = window_;
  detach();
  DestroyWindow(window);
}

bool Form::create_modeless(HWND owner) {
  if (window_ != nullptr) return true;
  modal_ = false;
  const std::vector<std::uint16_t> words = dialog_template(spec_);
  CreateDialogIndirectParamA(GetModuleHandleA(nullptr), as_template(words), owner,
                             &Form::dialog_proc, reinterpret_cast<LPARAM>(this));
  if (window_ != nullptr) register_modeless_dialog(window_);
  return window_ != nullptr;
}

void Form::show_modal(HWND owner) {
  if (window_ != nullptr) return;
  modal_ = true;
  const std::vector<std::uint16_t> words = dialog_template(spec_);
  DialogBoxIndirectParamA(GetModuleHandleA(nullptr), as_template(words), owner,
                          &Form::dialog_proc, reinterpret_cast<LPARAM>(this));
}

void Form::unload() {
  if (window_ == nullptr) return;
  if (modal_) {
    EndDialog(window_, 0);
  } else {
    DestroyWindow(window_);
  }
}

std::string Form::text_of(int id) const {
  const HWND control = item(id);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void Form::set_text(int id, const std::string& text) const { SetDlgItemTextA(window_, id, text.c_str()); }

void Form::show_message(const MessageSpec& message) const {
  const UINT icon = message.icon == MessageIcon::critical ? MB_ICONHAND : MB_ICONEXCLAMATION;
  MessageBoxA(window_, std::string(message.text).c_str(), std::string(message.title).c_str(),
              MB_OK | icon);
}

bool Form::on_message(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CALLBACK Form::dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* form = reinterpret_cast<Form*>(lparam);
    SetWindowLongPtrA(window, DWLP_USER, lparam);
    form->window_ = window;
    form->initialise();
    return TRUE;  // the focus goes to the first control in tab order
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, DWLP_USER));
  return form != nullptr ? form->handle(message, wparam, lparam) : FALSE;
}

INT_PTR Form::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      return on_command(LOWORD(wparam), HIWORD(wparam)) ? TRUE : FALSE;
    case WM_CLOSE:
      on_close();
      return TRUE;
    case WM_DRAWITEM:
      draw_picture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case kMsgDpiChanged: {
      // Moved to a monitor of another resolution: the same twips, new pixels.
      const int factor = twips_per_pixel(HIWORD(wparam));
      lay_out(factor, factor);
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    }
    case WM_DESTROY:
      on_unload();
      detach();
      return TRUE;
    default: {
      LRESULT result = 0;
      if (!on_message(message, wparam, lparam, result)) return FALSE;
      SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }
}

void Form::detach() {
  unregister_modeless_dialog(window_);
  SetWindowLongPtrA(window_, DWLP_USER, 0);
  window_ = nullptr;
}

void Form::initialise() {
  keep_system_from_rescaling(window_);
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  bitmaps_.clear();
  for (const FormPicture& picture : pictures_) {
    bitmaps_.emplace_back(static_cast<HBITMAP>(LoadImageA(
        instance, MAKEINTRESOURCEA(picture.resource_id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  }
  for (const ControlSpec& control : spec_.controls) {
    if (control.kind == ControlKind::password_box) {
      SendMessageA(item(control.id), EM_SETPASSWORDCHAR, '*', 0);
    }
  }
  lay_out(process_.twips_per_pixel_x, process_.twips_per_pixel_y);
  add_tool_tips();
  center_form(window_);
  on_load();
}

void Form::lay_out(int twips_per_pixel_x, int twips_per_pixel_y) {
  const FormLayout layout = lay_out_form(spec_, twips_per_pixel_x, twips_per_pixel_y);
  // The frame around the client area is what the window has now beyond it,
  // measured twice because a first size far from the final one may change
  // the frame (a wrapped caption bar).
  for (int pass = 0; pass < 2; ++pass) {
    RECT outer{}, client{};
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &client);
    const int frame_x = (outer.right - outer.left) - client.right;
    const int frame_y = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(window_, nullptr, 0, 0, layout.client_width + frame_x,
                 layout.client_height + frame_y, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  font_ = make_font(layout.font_height, false);
  bold_font_ = make_font(layout.font_height, true);
  fitted_fonts_.clear();
  for (const PlacedControl& control : layout.controls) {
    const PixelRect& place = control.place;
    const HWND child = item(control.spec->id);
    MoveWindow(child, place.left, place.top, place.width, place.height, FALSE);
    const HFONT font = control.bold ? bold_font_.get() : font_.get();
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control.shows_text) fit_text(control, layout.font_height);
  }
  InvalidateRect(window_, nullptr, TRUE);
}

// The rules are fitted_label_width's (dialogs/form.h).
void Form::fit_text(const PlacedControl& control, int font_height) {
  const HWND child = item(control.spec->id);
  auto font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
  if (font == nullptr) return;
  const LONG needed = text_width(child, font);
  if (control.spec->kind == ControlKind::label) {
    const PixelRect& place = control.place;
    MoveWindow(child, place.left, place.top, fitted_label_width(control, static_cast<int>(needed)),
               place.height, FALSE);
  }
  if (needed <= control.text_room) return;
  UniqueFont smaller;
  for (int height = font_height - 1; height >= kSmallestFontPixels; --height) {
    smaller = make_font(height, control.bold);
    if (!smaller || text_width(child, smaller.get()) <= control.text_room) break;
  }
  if (!smaller) return;
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(smaller.get()), FALSE);
  fitted_fonts_.push_back(std::move(smaller));
}

// The tooltip window is owned by the dialog, so the system destroys it with
// the dialog.
void Form::add_tool_tips() {
  const bool any = std::any_of(spec_.controls.begin(), spec_.controls.end(),
                               [](const ControlSpec& c) { return !c.tool_tip.empty(); });
  if (!any) return;
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&classes);
  const HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
  if (tips == nullptr) return;
  for (const ControlSpec& control : spec_.controls) {
    if (control.tool_tip.empty()) continue;
    std::string text(control.tool_tip);
    TOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(item(control.id));
    tool.lpszText = text.data();
    SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Form::draw_picture(const DRAWITEMSTRUCT& item) const {
  const RECT& area = item.rcItem;
  for (std::size_t i = 0; i < pictures_.size() && i < bitmaps_.size(); ++i) {
    if (static_cast<int>(item.CtlID) != pictures_[i].control_id || !bitmaps_[i]) continue;
    BITMAP size{};
    GetObjectA(bitmaps_[i].get(), sizeof(size), &size);
    const UniqueDc source(CreateCompatibleDC(item.hDC));
    if (!source) return;
    const Selection selection(source.get(), bitmaps_[i].get());
    // Smooth scaling: the picture is drawn larger than its pixels on
    // screens above 96 pixels per inch.
    SetStretchBltMode(item.hDC, HALFTONE);
    SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    StretchBlt(item.hDC, area.left, area.top, area.right - area.left, area.bottom - area.top,
               source.get(), 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    return;
  }
}

}  // namespace fizzlet::win32
