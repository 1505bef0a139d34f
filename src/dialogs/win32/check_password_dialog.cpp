#include "dialogs/win32/check_password_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/password_check.h"
#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {

namespace {

constexpr int kTextId = kCheckPasswordTextId;
constexpr int kLabelId = 102;
constexpr UINT_PTR kTimer1Id = kCheckPasswordTimerId;
constexpr UINT_PTR kEnterSubclassId = 1;
constexpr const char* kCaption = "Screen Saver Password";
constexpr const char* kWrongText =
    "The password that you typed is not correct. Try typing it again.";
constexpr const char* kWrongTitle = "Passwords";

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

// A control of the form, in twips as the form lays it out.
struct Control {
  int id;
  WORD atom;  // predefined window class: 0x0080 button, 0x0081 edit, 0x0082 static
  DWORD style;
  DWORD ex_style;
  const wchar_t* text;
  int left, top, width, height;
};

// In tab order: the text box first, so it has the focus when the dialog opens.
const Control kControls[] = {
    {kLabelId, 0x0082, WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0,
     L"Type your screen saver password:",
     180, 180, 2535, 330},
    {kTextId, 0x0081, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
     WS_EX_CLIENTEDGE, L"", 180, 540, 2040, 285},
    {IDOK, 0x0080, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, L"Ok", 2790, 180,
     915, 330},
    {IDCANCEL, 0x0080, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, L"Cancel", 2790,
     630, 915, 330},
};
constexpr int kClientWidthTwips = 3840;
constexpr int kClientHeightTwips = 1125;

// Twips to whole pixels, rounding halves to even.
int to_pixels(int twips, int twips_per_pixel) {
  if (twips_per_pixel <= 0) twips_per_pixel = 15;
  return static_cast<int>(std::nearbyint(static_cast<double>(twips) / twips_per_pixel));
}

// An in-memory dialog template.  The sizes in it are placeholders: the
// dialog places its controls in pixels when it starts.
class Template {
 public:
  Template() {
    align();
    dword(kDialogStyle);
    dword(0);
    word(static_cast<WORD>(std::size(kControls)));
    for (int i = 0; i < 4; ++i) word(0);  // x, y, cx, cy
    word(0);                              // no menu
    word(0);                              // standard dialog class
    text(L"Screen Saver Password");
    word(8);  // point size of the dialog font
    text(L"MS Sans Serif");
    for (const Control& c : kControls) {
      align();
      dword(c.style);
      dword(c.ex_style);
      for (int i = 0; i < 4; ++i) word(0);
      word(static_cast<WORD>(c.id));
      word(0xFFFF);
      word(c.atom);
      text(c.text);
      word(0);  // no creation data
    }
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void word(WORD w) { words_.push_back(w); }
  void dword(DWORD d) {
    word(LOWORD(d));
    word(HIWORD(d));
  }
  void text(const wchar_t* s) {
    for (; *s != 0; ++s) word(static_cast<WORD>(*s));
    word(0);
  }
  void align() {
    if (words_.size() % 2 != 0) word(0);
  }
  std::vector<WORD> words_;
};

// Owns a font made for one of the dialog's controls.
class FontHandle {
 public:
  FontHandle() = default;
  ~FontHandle() { reset(nullptr); }
  FontHandle(const FontHandle&) = delete;
  FontHandle& operator=(const FontHandle&) = delete;
  void reset(HFONT font) {
    if (font_ != nullptr) DeleteObject(font_);
    font_ = font;
  }
  HFONT get() const { return font_; }
  explicit operator bool() const { return font_ != nullptr; }

 private:
  HFONT font_ = nullptr;
};

}  // namespace

struct CheckPasswordDialog::State {
  State(const ProcessValues& process_values, const Settings& saver_settings, SaverFlags& saver_flags)
      : process(process_values), settings(saver_settings), flags(saver_flags) {}

  const ProcessValues& process;
  const Settings& settings;
  SaverFlags& flags;
  HWND window = nullptr;
  bool in_message_box = false;
  bool timed_out = false;
  bool closing = false;
  bool saver_ending = false;
  FontHandle label_font;  // only when the label needs a smaller font

  HWND text_box() const { return GetDlgItem(window, kTextId); }

  void lay_out() {
    const int tx = process.twips_per_pixel_x;
    const int ty = process.twips_per_pixel_y;
    RECT outer{0, 0, to_pixels(kClientWidthTwips, tx), to_pixels(kClientHeightTwips, ty)};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const Control& c : kControls) {
      MoveWindow(GetDlgItem(window, c.id), to_pixels(c.left, tx), to_pixels(c.top, ty),
                 to_pixels(c.width, tx), to_pixels(c.height, ty), FALSE);
    }
    fit_label();
    SendMessageA(text_box(), EM_SETPASSWORDCHAR, '*', 0);
  }

  // The label stays on one line so that it never runs into the box below.
  // Where the system's dialog font is wider than the one the form was laid
  // out with, the label takes the room up to the Ok button and, if that is
  // not enough, a slightly smaller size of the same font.
  void fit_label() {
    HWND label = GetDlgItem(window, kLabelId);
    RECT bounds = rect_in_dialog(label);
    const LONG room = rect_in_dialog(GetDlgItem(window, IDOK)).left - 4 - bounds.left;
    auto font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
    LONG needed = text_width(label, font);
    LOGFONTA shape{};
    if (needed > room && font != nullptr && GetObjectA(font, sizeof shape, &shape) != 0) {
      const LONG sign = shape.lfHeight < 0 ? -1 : 1;
      for (LONG height = std::abs(shape.lfHeight) - 1; needed > room && height >= 8; --height) {
        shape.lfHeight = sign * height;
        label_font.reset(CreateFontIndirectA(&shape));
        needed = text_width(label, label_font.get());
      }
      if (label_font) SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(label_font.get()), FALSE);
    }
    const LONG width = std::min(std::max(needed, bounds.right - bounds.left), room);
    MoveWindow(label, bounds.left, bounds.top, width, bounds.bottom - bounds.top, FALSE);
  }

  RECT rect_in_dialog(HWND control) const {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  static LONG text_width(HWND control, HFONT font) {
    char text[64] = {};
    GetWindowTextA(control, text, sizeof text);
    HDC dc = GetDC(control);
    if (dc == nullptr) return 0;
    HGDIOBJ old_font = font != nullptr ? SelectObject(dc, font) : nullptr;
    RECT needed{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    if (old_font != nullptr) SelectObject(dc, old_font);
    ReleaseDC(control, dc);
    return needed.right;
  }

  // Ok, or Enter in the text box.
  void Command1_Click() {
    if (closing || in_message_box) return;
    HWND box = text_box();
    std::string typed(static_cast<std::size_t>(GetWindowTextLengthA(box)) + 1, '\0');
    typed.resize(static_cast<std::size_t>(GetWindowTextA(box, typed.data(),
                                                         static_cast<int>(typed.size()))));
    if (check_password(settings.password_plain, typed, flags)) {
      unload();
      return;
    }
    SetWindowTextA(box, "");
    in_message_box = true;
    MessageBoxA(window, kWrongText, kWrongTitle, MB_OK | MB_ICONEXCLAMATION);
    in_message_box = false;
    if (timed_out) {
      // Twenty seconds passed while the message was up: close as on a time-out.
      Command2_Click();
      return;
    }
    SetFocus(box);
  }

  // Cancel, Escape, closing the window, or Timer1.
  void Command2_Click() {
    password_dialog_cancelled(flags);
    unload();
  }

  void Timer1_Timer() {
    KillTimer(window, kTimer1Id);
    if (in_message_box) {
      timed_out = true;  // acted on when the message box returns
      return;
    }
    Command2_Click();
  }

  void unload() {
    if (closing || window == nullptr) return;
    closing = true;
    DestroyWindow(window);
  }

  // WM_DESTROY: every way out ends here.  The cursor is hidden again only
  // when the dialog closed by its own ways; when it goes down with the saver
  // window (or its owner object), the saver is ending and shows the cursor.
  void Form_Unload() {
    KillTimer(window, kTimer1Id);
    RemoveWindowSubclass(text_box(), &State::Text1_KeyPress, kEnterSubclassId);
    unregister_modeless_dialog(window);
    password_dialog_unloaded(flags);
    if (closing && !saver_ending) hide_cursor();
    window = nullptr;
  }

  // Enter in the text box is taken here, so it never reaches the edit
  // control (which would beep) even if no dialog navigation handles it.
  static LRESULT CALLBACK Text1_KeyPress(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR data) {
    if (message == WM_CHAR && wparam == VK_RETURN) {
      reinterpret_cast<State*>(data)->Command1_Click();
      return 0;
    }
    return DefSubclassProc(box, message, wparam, lparam);
  }

  static INT_PTR CALLBACK dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
      auto* state = reinterpret_cast<State*>(lparam);
      SetWindowLongPtrA(window, DWLP_USER, lparam);
      state->window = window;
      SetWindowTextA(window, kCaption);
      state->lay_out();
      SetWindowSubclass(state->text_box(), &State::Text1_KeyPress, kEnterSubclassId,
                        reinterpret_cast<DWORD_PTR>(state));
      SetTimer(window, kTimer1Id, kCheckPasswordTimeoutMs, nullptr);
      SetFocus(state->text_box());
      return FALSE;  // the focus is set
    }
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrA(window, DWLP_USER));
    if (state == nullptr) return FALSE;
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
          state->Command1_Click();
          return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
          if (!state->in_message_box) state->Command2_Click();
          return TRUE;
        }
        return FALSE;
      case WM_CLOSE:
        state->Command2_Click();
        return TRUE;
      case WM_TIMER:
        if (wparam == kTimer1Id) {
          state->Timer1_Timer();
          return TRUE;
        }
        return FALSE;
      case WM_DESTROY:
        state->Form_Unload();
        SetWindowLongPtrA(window, DWLP_USER, 0);
        return TRUE;
      default:
        return FALSE;
    }
  }
};

CheckPasswordDialog::CheckPasswordDialog(const ProcessValues& process, const Settings& settings,
                                         SaverFlags& flags)
    : process_(process), settings_(settings), flags_(flags) {}

CheckPasswordDialog::~CheckPasswordDialog() {
  if (state_ && state_->window != nullptr) {
    state_->saver_ending = true;
    state_->unload();
  }
}

void CheckPasswordDialog::show(HWND owner) {
  if (is_open()) return;
  state_ = std::make_unique<State>(process_, settings_, flags_);
  static const Template dialog_template;  // immutable after first use
  HWND window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialog_template.get(),
                                           owner, &State::dialog_proc,
                                           reinterpret_cast<LPARAM>(state_.get()));
  if (window == nullptr) {
    // Without a dialog there is nothing to wait for: let the saver go on.
    password_dialog_cancelled(flags_);
    password_dialog_unloaded(flags_);
    state_.reset();
    return;
  }
  register_modeless_dialog(window);
  center_form(window);
  // Above every window, the topmost saver included, at the centred position.
  RECT r{};
  GetWindowRect(window, &r);
  SetWindowPos(window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
  process_pending_messages();
  show_cursor();
  if (state_->window == nullptr) return;  // closed while messages were processed
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(state_->text_box());
}

bool CheckPasswordDialog::is_open() const { return state_ && state_->window != nullptr; }

HWND CheckPasswordDialog::window() const { return state_ ? state_->window : nullptr; }

}  // namespace fizzlet::win32
