#include "dialogs/win32/about_dialog.h"

#include <shellapi.h>

#include "dialogs/about.h"
#include "resource_ids.h"

#ifndef FIZZLET_HOME_PAGE
#define FIZZLET_HOME_PAGE "fizzlet.html"
#endif

namespace fizzlet::win32 {

using namespace about;

AboutDialog::AboutDialog(const ProcessValues& process)
    : Form(about_form(), process, {{kImage1, IDB_ABOUT}}) {}

bool AboutDialog::on_command(int id, int) {
  switch (id) {
    case kCommand1:  // Ok, Enter
    case IDCANCEL:   // Escape
      unload();
      return true;
    case kCommand2:
      Command2_Click();
      return true;
    default:
      return false;
  }
}

void AboutDialog::Command2_Click() const {
  const std::string address = home_page_address(FIZZLET_HOME_PAGE, process().app_folder);
  ShellExecuteA(window(), nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace fizzlet::win32
