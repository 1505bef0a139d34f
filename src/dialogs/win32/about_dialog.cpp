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
    : Form(about_form(), process, {{kAboutPicture, IDB_ABOUT}}) {}

bool AboutDialog::on_command(int id, int) {
  const AboutCommand command = about_command(id);
  if (command == AboutCommand::close) unload();
  if (command == AboutCommand::open_home_page) on_home_page();
  return command != AboutCommand::none;
}

void AboutDialog::on_home_page() const {
  const std::string address = home_page_address(FIZZLET_HOME_PAGE, process().app_folder);
  ShellExecuteA(window(), nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace fizzlet::win32
