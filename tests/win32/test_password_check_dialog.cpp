// The password check dialog as a real window under Wine: its layout from
// twips, its answers through the saver flags, the "Passwords" message box and
// the time-out, including the time-out that comes while the message is up.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/win32/check_password_dialog.h"
#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {
namespace {

// What the message box looked like, and what to do to the dialog while it
// is up.  The test's timer procedure has no user argument, so it finds this
// through a pointer of the test's own thread.
struct MessageBoxProbe {
  HWND dialog = nullptr;
  bool expire_timer_first = false;
  int seen = 0;
  std::vector<std::string> texts;
  int buttons = 0;
  bool icon = false;
};
thread_local MessageBoxProbe* probe = nullptr;

BOOL CALLBACK collect_child(HWND child, LPARAM) {
  char text[256] = {};
  GetWindowTextA(child, text, sizeof text);
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
  if (lstrcmpiA(cls, "Button") == 0) ++probe->buttons;
  if (lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) probe->icon = true;
  if (text[0] != 0) probe->texts.emplace_back(text);
  return TRUE;
}

void CALLBACK close_message_box(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowA("#32770", "Passwords");
  if (box == nullptr || probe == nullptr) return;
  KillTimer(nullptr, id);
  ++probe->seen;
  EnumChildWindows(box, collect_child, 0);
  if (probe->expire_timer_first) SendMessageA(probe->dialog, WM_TIMER, kCheckPasswordTimerId, 0);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

class CheckPasswordDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = plain_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "fizzlet_saver_stand_in";
    RegisterClassA(&wc);
    owner_ = CreateWindowExA(WS_EX_TOPMOST, "fizzlet_saver_stand_in", "stand-in", WS_POPUP | WS_VISIBLE,
                             0, 0, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
    settings_.password_plain = "misc";
    flags_.password_dialog_open = true;
    flags_.activity_count = 25;
  }
  void TearDown() override {
    dialog_.reset();
    DestroyWindow(owner_);
    probe = nullptr;
  }
  HWND open() {
    dialog_ = std::make_unique<CheckPasswordDialog>(process_, settings_, flags_);
    dialog_->show(owner_);
    return dialog_->window();
  }
  void type(const char* text) {
    SetDlgItemTextA(dialog_->window(), kCheckPasswordTextId, text);
  }
  std::string typed() {
    char text[64] = {};
    GetDlgItemTextA(dialog_->window(), kCheckPasswordTextId, text, sizeof text);
    return text;
  }

  ProcessValues process_;
  Settings settings_;
  SaverFlags flags_;
  HWND owner_ = nullptr;
  std::unique_ptr<CheckPasswordDialog> dialog_;
};

RECT client_rect_of(HWND child, HWND parent) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(CheckPasswordDialogTest, IsLaidOutFromTwipsCentredTopmostWithTheFocusInTheBox) {
  process_.twips_per_pixel_x = 15;
  process_.twips_per_pixel_y = 12;
  HWND dialog = open();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog_->is_open());
  EXPECT_EQ(FindWindowA(nullptr, "Screen Saver Password"), dialog);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_NE(GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 256);   // 3840 / 15
  EXPECT_EQ(client.bottom, 94);   // 1125 / 12 = 93.75
  HWND box = GetDlgItem(dialog, kCheckPasswordTextId);
  const RECT text = client_rect_of(box, dialog);
  EXPECT_EQ(text.left, 12);
  EXPECT_EQ(text.top, 45);
  EXPECT_EQ(text.right - text.left, 136);
  EXPECT_EQ(text.bottom - text.top, 24);  // 285 / 12 = 23.75
  const RECT cancel = client_rect_of(GetDlgItem(dialog, kCheckPasswordCancelId), dialog);
  EXPECT_EQ(cancel.left, 186);
  EXPECT_EQ(cancel.top, 52);  // 630 / 12 = 52.5, halves to even
  char label[64] = {};
  GetDlgItemTextA(dialog, 102, label, sizeof label);
  EXPECT_STREQ(label, "Type your screen saver password:");
  // The whole label is readable on one line, clear of the box and of Ok,
  // whatever the width of the system's dialog font.
  HWND label_window = GetDlgItem(dialog, 102);
  const RECT label_rect = client_rect_of(label_window, dialog);
  EXPECT_LE(label_rect.bottom, text.top);
  EXPECT_LE(label_rect.right, client_rect_of(GetDlgItem(dialog, IDOK), dialog).left);
  HDC dc = GetDC(label_window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label_window, WM_GETFONT, 0, 0)));
  RECT needed{};
  DrawTextA(dc, label, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(label_window, dc);
  EXPECT_LE(needed.right, label_rect.right - label_rect.left);
  char ok[16] = {};
  GetDlgItemTextA(dialog, IDOK, ok, sizeof ok);
  EXPECT_STREQ(ok, "Ok");
  EXPECT_EQ(SendMessageA(box, EM_GETPASSWORDCHAR, 0, 0), '*');

  // Centred on the screen.
  RECT outer{};
  GetWindowRect(dialog, &outer);
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  const int screen_h = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR(outer.left + (outer.right - outer.left) / 2, screen_w / 2, 2);
  EXPECT_NEAR(outer.top + (outer.bottom - outer.top) / 2, screen_h / 2, 2);

  // Tab order: box, Ok, Cancel.
  EXPECT_EQ(GetFocus(), box);
  EXPECT_EQ(GetNextDlgTabItem(dialog, box, FALSE), GetDlgItem(dialog, IDOK));
  EXPECT_EQ(GetNextDlgTabItem(dialog, GetDlgItem(dialog, IDOK), FALSE), GetDlgItem(dialog, kCheckPasswordCancelId));

  // Showing again while open does not make a second dialog.
  dialog_->show(owner_);
  EXPECT_EQ(dialog_->window(), dialog);
}

TEST_F(CheckPasswordDialogTest, TheRightPasswordInAnyCaseEndsTheSaverByOkOrEnter) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    flags_ = SaverFlags{};
    flags_.password_dialog_open = true;
    flags_.activity_count = 25;
    HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    type("MiSC");
    HWND box = GetDlgItem(dialog, kCheckPasswordTextId);
    if (way == 0) SendMessageA(dialog, WM_COMMAND, IDOK, 0);  // Ok
    if (way == 1) SendMessageA(box, WM_CHAR, VK_RETURN, 0);   // Enter reaching the box itself
    if (way == 2) {                                           // Enter through the message loop
      SetFocus(box);
      PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
      PostMessageA(box, WM_CHAR, VK_RETURN, 0);
      process_pending_messages();
    }
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(dialog_->is_open());
    EXPECT_TRUE(flags_.exit_requested);
    EXPECT_FALSE(flags_.password_dialog_open);
    EXPECT_EQ(flags_.activity_count, 0);
    EXPECT_TRUE(flags_.repaint_requested);
  }
}

TEST_F(CheckPasswordDialogTest, AWrongPasswordShowsTheMessageAndKeepsTheDialogThenCancelLeaves) {
  HWND dialog = open();
  ASSERT_NE(dialog, nullptr);
  MessageBoxProbe seen;
  seen.dialog = dialog;
  probe = &seen;
  SetTimer(nullptr, 0, 50, close_message_box);
  type("mist");
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);  // returns once the message box is closed

  EXPECT_EQ(seen.seen, 1);
  const std::string message = "The password that you typed is not correct. Try typing it again.";
  EXPECT_NE(std::find(seen.texts.begin(), seen.texts.end(), message), seen.texts.end());
  EXPECT_EQ(seen.buttons, 1) << "a single OK button";
  EXPECT_TRUE(seen.icon);
  EXPECT_TRUE(dialog_->is_open());
  EXPECT_EQ(typed(), "") << "the box is emptied";
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, kCheckPasswordTextId));
  EXPECT_TRUE(flags_.password_dialog_open);
  EXPECT_FALSE(flags_.exit_requested);

  SendMessageA(dialog, WM_COMMAND, kCheckPasswordCancelId, 0);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(flags_.password_dialog_open);
  EXPECT_FALSE(flags_.exit_requested);
  EXPECT_EQ(flags_.activity_count, 0);
  EXPECT_TRUE(flags_.repaint_requested);

  // A fresh dialog opens afterwards, and closing its window is a cancel too.
  flags_.password_dialog_open = true;
  dialog_->show(owner_);
  ASSERT_TRUE(dialog_->is_open());
  SendMessageA(dialog_->window(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(dialog_->is_open());
  EXPECT_FALSE(flags_.password_dialog_open);
  EXPECT_FALSE(flags_.exit_requested);
}

TEST_F(CheckPasswordDialogTest, TheTimeOutClosesTheDialogEvenWhileTheMessageIsUp) {
  HWND dialog = open();
  ASSERT_NE(dialog, nullptr);
  SendMessageA(dialog, WM_TIMER, kCheckPasswordTimerId, 0);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(flags_.password_dialog_open);
  EXPECT_FALSE(flags_.exit_requested);
  EXPECT_TRUE(flags_.repaint_requested);

  flags_ = SaverFlags{};
  flags_.password_dialog_open = true;
  dialog = open();
  MessageBoxProbe seen;
  seen.dialog = dialog;
  seen.expire_timer_first = true;
  probe = &seen;
  SetTimer(nullptr, 0, 50, close_message_box);
  type("nope");
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(seen.seen, 1);
  EXPECT_FALSE(IsWindow(dialog)) << "closed once the message was dismissed";
  EXPECT_FALSE(flags_.password_dialog_open);
  EXPECT_FALSE(flags_.exit_requested);
  EXPECT_TRUE(flags_.repaint_requested);
}

TEST_F(CheckPasswordDialogTest, AnEmptyStoredPasswordAcceptsOnlyAnEmptyBox) {
  settings_.password_plain.clear();
  HWND dialog = open();
  MessageBoxProbe seen;
  probe = &seen;
  SetTimer(nullptr, 0, 50, close_message_box);
  type("x");
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(seen.seen, 1);
  EXPECT_TRUE(dialog_->is_open());
  type("");
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(dialog_->is_open());
  EXPECT_TRUE(flags_.exit_requested);
}

}  // namespace
}  // namespace fizzlet::win32
