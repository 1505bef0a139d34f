#pragma once
// The about box without the window system: its form and where its button leads.

#include <string>
#include <string_view>

#include "dialogs/form.h"

namespace fizzlet {

namespace about {
inline constexpr int kAboutPicture = 1201;
inline constexpr int kTitleLabel = 1202;
inline constexpr int kVersionLabel = 1204;
inline constexpr int kOkButton = 1;  // Enter and Escape press it
inline constexpr int kHomePageButton = 1203;  // "Want more screen savers? Click Here!"
}  // namespace about

const FormSpec& about_form();

// What a command of the about box does: Ok, Enter and Escape close it; the
// home-page button opens the home page.
enum class AboutCommand { none, close, open_home_page };
AboutCommand about_command(int id);

// The address that the home-page button opens.  home_page is the build's
// setting: a web address (anything with a scheme, such as "https:" or
// "file:") or a path on a drive ("C:\\page.html", "C:page.html") or from a
// root is used as it is; a plain file name or a relative path names a file
// beside the program, in app_folder.
std::string home_page_address(std::string_view home_page, std::string_view app_folder);

}  // namespace fizzlet
