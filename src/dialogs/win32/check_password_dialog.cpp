#include "dialogs/win32/check_password_dialog.h"

namespace fizzlet::win32 {

struct CheckPasswordDialog::State {
  HWND window = nullptr;
};

CheckPasswordDialog::CheckPasswordDialog(const ProcessValues&, const Settings&, SaverFlags&) {}
CheckPasswordDialog::~CheckPasswordDialog() = default;
void CheckPasswordDialog::show(HWND) {}
bool CheckPasswordDialog::is_open() const { return false; }
HWND CheckPasswordDialog::window() const { return nullptr; }

}  // namespace fizzlet::win32
