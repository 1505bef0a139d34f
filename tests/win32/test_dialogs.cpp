// The configuration and password dialogs as real windows under Wine: layout
// from twips, the controls against a settings store, closing while a dialog
// runs over the configuration dialog, the system's keyboard layout and
// upper-casing (run once more under the Cyrillic code page 1251 by ctest),
// and the password check's Escape key and single check at a time.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "dialogs/configuration.h"
#include "dialogs/win32/check_password_dialog.h"
#include "dialogs/win32/configuration_dialog.h"
#include "dialogs/win32/system_text.h"
#include "settings/memory_store.h"
#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {
namespace {

using namespace configuration;

// Drops a quit request that a dialog passed on to the test's thread.
bool take_quit() {
  MSG message{};
  return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST(SystemText, UpperCasesInTheCodePageAndMapsKeysOfTheLayout) {
  const SystemLetterCase letters;
  EXPECT_EQ(letters.upper_case("abc1!"), "ABC1!");
  const char* expected_page = std::getenv("FIZZLET_EXPECT_ACP");
  if (expected_page != nullptr) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected_page)));
  }
  if (GetACP() == 1251) {
    EXPECT_EQ(letters.upper_case("\xFF\xE0"), "\xDF\xC0");  // ya, a
  } else if (GetACP() == 1252) {
    EXPECT_EQ(letters.upper_case("\xFF\xE9"), "\x9F\xC9");  // y diaeresis, e acute
  }
  // Wine's keyboard here is a US layout.
  EXPECT_EQ(map_to_key_characters("aZ!1", SystemKeyboardLayout()), "AZ11");
}

TEST(SystemText, ThePasswordCheckComparesLettersOfTheCodePage) {
  if (GetACP() != 1251) GTEST_SKIP() << "for the Cyrillic code page";
  ProcessValues process;
  Settings settings;
  settings.password_plain = "\xFF\xE0";  // small ya, a
  SaverFlags flags;
  flags.password_dialog_open = true;
  CheckPasswordDialog dialog(process, settings, flags);
  dialog.show(nullptr);
  ASSERT_TRUE(dialog.is_open());
  SetDlgItemTextA(dialog.window(), kCheckPasswordTextId, "\xDF\xC0");  // capitals
  SendMessageA(dialog.window(), WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(flags.exit_requested);
  EXPECT_FALSE(dialog.is_open());
}

class ConfigurationDialogTest : public ::testing::Test {
 protected:
  void TearDown() override { take_quit(); }

  HWND open() {
    dialog_.emplace(process_, settings_, store_, [] {});
    EXPECT_TRUE(dialog_->create_modeless(nullptr));
    return dialog_->window();
  }

  ProcessValues process_;
  Settings settings_;
  MemoryStore store_;
  std::optional<ConfigurationDialog> dialog_;
};

TEST_F(ConfigurationDialogTest, ShowsTheStoredSettingsInItsTwipsLayoutAndSavesOnClose) {
  store_.seed("total_fizzlet", "64");
  store_.seed("pop_chance", "99");  // out of range: the bar shows its end
  store_.seed("audio_on", "0");
  process_.twips_per_pixel_x = 10;
  process_.twips_per_pixel_y = 12;
  HWND window = open();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(FindWindowA(nullptr, "Screen Saver Configuration"), window);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 786);   // 7860 / 10
  EXPECT_EQ(client.bottom, 352);  // 4230 / 12 = 352.5, halves to even
  RECT bar{};
  GetWindowRect(dialog_->item(kPopChanceScrollBar), &bar);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_EQ(bar.left, 504);
  EXPECT_EQ(bar.top, 218);  // 2610 / 12 = 217.5
  EXPECT_EQ(GetFocus(), dialog_->item(kPasswordButton)) << "first in tab order";
  EXPECT_EQ(dialog_->controls(), (ConfigurationControls{64, 50, 0}));

  // Keyboard requests of the bars: End, Left, Home, Right.
  const auto scroll = [&](int bar_id, int request) {
    SendMessageA(window, WM_HSCROLL, request, reinterpret_cast<LPARAM>(dialog_->item(bar_id)));
  };
  scroll(kKernelCountScrollBar, SB_RIGHT);
  scroll(kKernelCountScrollBar, SB_LINELEFT);
  scroll(kKernelCountScrollBar, SB_PAGELEFT);
  scroll(kPopChanceScrollBar, SB_LEFT);
  scroll(kPopChanceScrollBar, SB_LINERIGHT);
  scroll(kPopChanceScrollBar, SB_PAGERIGHT);
  SendMessageA(dialog_->item(kMusicCheckBox), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog_->controls(), (ConfigurationControls{98, 3, 1}));

  // A close request from outside saves and closes.
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(store_.get(kAppKey, kSection, "total_fizzlet", ""), "98");
  EXPECT_EQ(store_.get(kAppKey, kSection, "pop_chance", ""), "3");
  EXPECT_EQ(store_.get(kAppKey, kSection, "audio_on", ""), "1");
}

// Closes the configuration dialog from outside once the about box is up.
thread_local HWND close_target = nullptr;
thread_local bool about_seen = false;
void CALLBACK close_when_about_is_up(HWND, UINT, UINT_PTR id, DWORD) {
  if (FindWindowA(nullptr, "About This Screen Saver...") == nullptr) return;
  KillTimer(nullptr, id);
  about_seen = true;
  PostMessageA(close_target, WM_CLOSE, 0, 0);
}

TEST_F(ConfigurationDialogTest, ACloseRequestWhileTheAboutBoxIsUpClosesBothAndSaves) {
  HWND window = open();
  ASSERT_NE(window, nullptr);
  SendMessageA(window, WM_HSCROLL, SB_LEFT, reinterpret_cast<LPARAM>(dialog_->item(kKernelCountScrollBar)));
  close_target = window;
  about_seen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, close_when_about_is_up);
  SendMessageA(window, WM_COMMAND, kAboutButton, 0);  // About: returns when it has closed
  KillTimer(nullptr, timer);
  EXPECT_TRUE(about_seen);
  EXPECT_EQ(FindWindowA(nullptr, "About This Screen Saver..."), nullptr);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(store_.get(kAppKey, kSection, "total_fizzlet", ""), "1");
}

// The password check: Escape stays in the box, and input that reaches the
// dialog while its message box is up starts no second check.
thread_local HWND check_dialog = nullptr;
thread_local int message_boxes = 0;
void CALLBACK poke_then_close_message(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowA("#32770", "Passwords");
  if (box == nullptr) return;
  KillTimer(nullptr, id);
  ++message_boxes;
  // Enter and Ok again, and a close request, while the message is up.
  HWND text = GetDlgItem(check_dialog, kCheckPasswordTextId);
  SendMessageA(text, WM_CHAR, VK_RETURN, 0);
  SendMessageA(check_dialog, WM_COMMAND, IDOK, 0);
  PostMessageA(check_dialog, WM_CLOSE, 0, 0);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST(CheckPasswordKeys, EscapeStaysInTheBoxAndOneCheckRunsAtATime) {
  ProcessValues process;
  Settings settings;
  settings.password_plain = "misc";
  SaverFlags flags;
  flags.password_dialog_open = true;
  CheckPasswordDialog dialog(process, settings, flags);
  dialog.show(nullptr);
  ASSERT_TRUE(dialog.is_open());
  HWND text = GetDlgItem(dialog.window(), kCheckPasswordTextId);
  SetFocus(text);
  PostMessageA(text, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(text, WM_CHAR, VK_ESCAPE, 0x00010001);
  process_pending_messages();
  SendMessageA(dialog.window(), WM_COMMAND, IDCANCEL, 0);  // Escape on a button
  ASSERT_TRUE(dialog.is_open()) << "Escape must not close the dialog";
  EXPECT_TRUE(flags.password_dialog_open);

  check_dialog = dialog.window();
  message_boxes = 0;
  SetDlgItemTextA(dialog.window(), kCheckPasswordTextId, "wrong");
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, poke_then_close_message);
  SendMessageA(dialog.window(), WM_COMMAND, IDOK, 0);  // returns when the message is closed
  KillTimer(nullptr, timer);
  process_pending_messages();
  EXPECT_EQ(message_boxes, 1);
  EXPECT_EQ(FindWindowA("#32770", "Passwords"), nullptr) << "no second message box";
  EXPECT_FALSE(dialog.is_open()) << "the close request was kept for after the message";
  EXPECT_FALSE(flags.password_dialog_open);
  EXPECT_FALSE(flags.exit_requested);
}

}  // namespace
}  // namespace fizzlet::win32
