#pragma once
// The about box, modal over the configuration dialog.

#include <windows.h>

#include "dialogs/win32/form.h"

namespace fizzlet::win32 {

class AboutDialog final : public Form {
 public:
  explicit AboutDialog(const ProcessValues& process);

 protected:
  bool on_command(int id, int notification) override;

 private:
  // Opens the home page with the shell's default action; nothing is
  // reported when no browser starts.
  void on_home_page() const;
};

}  // namespace fizzlet::win32
