#include "dialogs/about.h"

#include <cctype>

#include "fizzlet_version.h"

namespace fizzlet {

namespace {

using namespace about;

// In tab order: Ok first.
constexpr ControlSpec kControls[] = {
    {kOkButton, ControlKind::default_button, "Ok", {3270, 1920, 1275, 345},
     "Click here to exit this screen"},
    {kHomePageButton, ControlKind::button, "Want more screen savers? Click Here!",
     {90, 1920, 3015, 345},
     "Click here to launch your browser to our internet home page!"},
    {kAboutPicture, ControlKind::picture, "", {90, 90, 2310, 1740}},
    {kTitleLabel, ControlKind::title_label, "Fizzlet Screen Saver", {2520, 90, 2055, 195}},
    {kVersionLabel, ControlKind::centred_label, "Version " FIZZLET_VERSION_TEXT,
     {2520, 375, 2055, 195}},
};

constexpr FormSpec kForm{"About This Screen Saver...", 4680, 2355, kControls};

bool is_letter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// "https://...", "file:///...", "mailto:...": a scheme of two or more
// characters before the colon ("C:" is a drive).
bool has_scheme(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2 || !is_letter(text[0])) return false;
  for (char c : text.substr(0, colon)) {
    if (!is_letter(c) && std::isdigit(static_cast<unsigned char>(c)) == 0 && c != '+' &&
        c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

// "C:\..." or "C:/...", "\\server\..." or "\folder" (the current drive), and
// "C:page.html", which names a file in the current folder of drive C: a
// place of its own, never beside the program.
bool is_absolute_path(std::string_view text) {
  if (text.size() >= 2 && is_letter(text[0]) && text[1] == ':') return true;
  return !text.empty() && (text[0] == '\\' || text[0] == '/');
}

}  // namespace

const FormSpec& about_form() { return kForm; }

AboutCommand about_command(int id) {
  if (id == kOkButton || id == kEscapeCommand) return AboutCommand::close;
  return id == kHomePageButton ? AboutCommand::open_home_page : AboutCommand::none;
}

std::string home_page_address(std::string_view home_page, std::string_view app_folder) {
  if (home_page.empty() || has_scheme(home_page) || is_absolute_path(home_page)) {
    return std::string(home_page);
  }
  return std::string(app_folder) + std::string(home_page);
}

}  // namespace fizzlet
