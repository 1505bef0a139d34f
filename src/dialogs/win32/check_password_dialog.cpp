#include "dialogs/win32/check_password_dialog.h"

#include <commctrl.h>

#include <string>

#include "dialogs/win32/form.h"
#include "dialogs/win32/system_text.h"
#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {

namespace {

using namespace password_check;

constexpr UINT_PTR kTimeoutTimerId = kCheckPasswordTimerId;
constexpr UINT_PTR kPasswordBoxSubclassId = 1;

bool is_escape(const MSG* message) {
  return message != nullptr && message->wParam == VK_ESCAPE &&
         (message->message == WM_KEYDOWN || message->message == WM_CHAR);
}

}  // namespace

class CheckPasswordDialog::State final : public Form {
 public:
  State(const ProcessValues& process, const Settings& settings, SaverFlags& flags)
      : Form(password_check_form(), process), rules_(*this, settings, flags, letter_case_) {}

  // Set when the dialog goes down with the saver: the saver shows the cursor.
  bool saver_ending = false;

  void close() { rules_.close(); }

 protected:
  void on_load() override {
    SetWindowSubclass(item(kPasswordBox), &State::password_box_proc, kPasswordBoxSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
    SetTimer(window(), kTimeoutTimerId, kCheckPasswordTimeoutMs, nullptr);
  }

  bool on_command(int id, int) override { return rules_.on_command(id); }

  // The close box or Alt+F4: as Cancel.
  void on_close() override { rules_.on_cancel(); }

  bool on_message(UINT message, WPARAM wparam, LPARAM, LRESULT&) override {
    if (message != WM_TIMER || wparam != kTimeoutTimerId) return false;
    KillTimer(window(), kTimeoutTimerId);
    rules_.on_cancel();
    return true;
  }

  // Every way out ends here; when the dialog goes down with the saver window
  // (or its owner object), the saver is ending and shows the cursor.
  void on_unload() override {
    KillTimer(window(), kTimeoutTimerId);
    RemoveWindowSubclass(item(kPasswordBox), &State::password_box_proc, kPasswordBoxSubclassId);
    if (rules_.on_unload(saver_ending)) hide_cursor();
  }

 private:
  // Enter in the text box is taken here, so it never reaches the edit
  // control (which would beep) even if no dialog navigation handles it.
  // Escape is claimed for the box, so that the dialog keys do not turn it
  // into a way out.
  static LRESULT CALLBACK password_box_proc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR, DWORD_PTR data) {
    if (message == WM_CHAR && wparam == VK_RETURN) {
      reinterpret_cast<State*>(data)->rules_.on_ok();
      return 0;
    }
    if (message == WM_GETDLGCODE && is_escape(reinterpret_cast<const MSG*>(lparam))) {
      return DefSubclassProc(box, message, wparam, lparam) | DLGC_WANTMESSAGE;
    }
    return DefSubclassProc(box, message, wparam, lparam);
  }

  SystemLetterCase letter_case_;
  PasswordCheckRules rules_;
};

CheckPasswordDialog::CheckPasswordDialog(const ProcessValues& process, const Settings& settings,
                                         SaverFlags& flags)
    : process_(process), settings_(settings), flags_(flags) {}

CheckPasswordDialog::~CheckPasswordDialog() {
  if (is_open()) {
    state_->saver_ending = true;
    state_->close();
  }
}

void CheckPasswordDialog::show(HWND owner) {
  if (is_open()) return;
  state_ = std::make_unique<State>(process_, settings_, flags_);
  if (!state_->create_modeless(owner)) {
    // Without a dialog there is nothing to wait for: let the saver go on.
    password_dialog_cancelled(flags_);
    password_dialog_unloaded(flags_);
    state_.reset();
    return;
  }
  const HWND window = state_->window();
  // Above every window, the topmost saver included, at the centred position.
  RECT r{};
  GetWindowRect(window, &r);
  SetWindowPos(window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
  process_pending_messages();
  show_cursor();
  if (!state_->is_open()) return;  // closed while messages were processed
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(state_->item(kPasswordBox));
}

bool CheckPasswordDialog::is_open() const { return state_ && state_->is_open(); }

HWND CheckPasswordDialog::window() const { return state_ ? state_->window() : nullptr; }

}  // namespace fizzlet::win32
