#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "settings/win32/registry_key.h"
#include "startup/win32/system_utils.h"

namespace fizzlet::win32 {
namespace {

constexpr std::uint32_t kCurrentUser = 0x80000001u;

// Values written for read_registry_string, under a test key of their own.
class RegistryReadTest : public ::testing::Test {
 protected:
  static constexpr char kPath[] = "Software\\FizzletTests\\Read";
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key_.receive(), nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    key_ = RegistryKey();
    RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
  }
  void put_dword(const char* name, DWORD value) {
    RegSetValueExA(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
  }
  void put_text(const char* name, const std::string& text) {
    RegSetValueExA(key_.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  }
  std::string read(const char* name) { return read_registry_string(kCurrentUser, kPath, name); }
  RegistryKey key_;
};

TEST_F(RegistryReadTest, DwordsBecomeZeroPaddedDecimalAndTextComesBackAsStored) {
  put_dword("one", 1);
  put_dword("zero", 0);
  put_dword("big", 12345);
  put_dword("max", 0xFFFFFFFFu);
  put_text("text1", "1");
  put_text("empty", "");
  EXPECT_EQ(read("one"), "001");
  EXPECT_EQ(read("zero"), "000");
  EXPECT_EQ(read("big"), "12345");
  EXPECT_EQ(read("max"), "4294967295");
  EXPECT_EQ(read("text1"), "1");
  EXPECT_EQ(read("empty"), "");
  EXPECT_EQ(read("absent"), "");
  EXPECT_EQ(read_registry_string(kCurrentUser, "Software\\FizzletTests\\NoSuchKey", "one"), "");
}

TEST_F(RegistryReadTest, OnlyPredefinedRootKeysAreRead) {
  put_dword("one", 1);
  for (const std::uint32_t root : {0u, 1u, 5u, 0x7FFFFFFFu, 0x80000007u, 0xFFFFFFFFu}) {
    EXPECT_EQ(read_registry_string(root, kPath, "one"), "") << std::hex << root;
  }
  // HKEY_USERS (0x80000003) holds the current user's hive under a name of its
  // own, so the path does not exist there; HKCU does hold it.
  EXPECT_EQ(read_registry_string(0x80000003u, kPath, "one"), "");
  EXPECT_EQ(read_registry_string(0x80000001u, kPath, "one"), "001");
}

TEST_F(RegistryReadTest, DataOfMoreThan255BytesGivesEmptyText) {
  put_text("fits", std::string(254, 'a'));       // 254 characters and the zero: 255 bytes
  put_text("too_long", std::string(255, 'a'));   // 256 bytes
  put_text("much_too_long", std::string(4000, 'a'));
  EXPECT_EQ(read("fits"), std::string(254, 'a'));
  EXPECT_EQ(read("too_long"), "");
  EXPECT_EQ(read("much_too_long"), "");
}

// The system's own password option, in this test prefix's registry.
class PasswordOptionTest : public ::testing::Test {
 protected:
  static constexpr char kDesktop[] = "Control Panel\\Desktop";
  static constexpr char kName[] = "ScreenSaveUsePassword";
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key_.receive(), nullptr),
              ERROR_SUCCESS);
    RegDeleteValueA(key_.get(), kName);
  }
  void TearDown() override { RegDeleteValueA(key_.get(), kName); }
  RegistryKey key_;
};

TEST_F(PasswordOptionTest, OnExactlyWhenTheLeadingNumberIsNotZero) {
  EXPECT_FALSE(password_enabled());  // absent
  const auto dword = [&](DWORD value) {
    RegSetValueExA(key_.get(), kName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
    return password_enabled();
  };
  const auto text = [&](const std::string& value) {
    RegSetValueExA(key_.get(), kName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    return password_enabled();
  };
  EXPECT_TRUE(dword(1));
  EXPECT_FALSE(dword(0));
  EXPECT_TRUE(dword(7));
  EXPECT_TRUE(text("1"));
  EXPECT_TRUE(text("001"));
  EXPECT_TRUE(text("  2 and more"));
  EXPECT_FALSE(text("0"));
  EXPECT_FALSE(text("000"));
  EXPECT_FALSE(text(""));
  EXPECT_FALSE(text("yes"));
}

TEST(CursorCount, HideAndShowEndInADefiniteState) {
  show_cursor();
  hide_cursor();  // whatever the count was: now below 0
  show_cursor();  // climbs back to exactly 0
  hide_cursor();
  hide_cursor();
  hide_cursor();
  EXPECT_EQ(ShowCursor(TRUE), -2);  // the count was -3
  ShowCursor(FALSE);
  show_cursor();
  EXPECT_EQ(ShowCursor(FALSE), -1);  // the count was exactly 0
  ShowCursor(TRUE);

  ShowCursor(TRUE);
  ShowCursor(TRUE);  // count 2
  hide_cursor();
  EXPECT_EQ(ShowCursor(TRUE), 0);  // the count was -1
  show_cursor();
}

TEST(SystemState, SaverModeOnAndOffSetTheRunningState) {
  BOOL running = FALSE;
  saver_mode_on();
  SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
  EXPECT_TRUE(running);
  saver_mode_off();
  SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
  EXPECT_FALSE(running);

  const DWORD before = timeGetTime();
  const std::uint32_t now = read_time_ms();
  const DWORD after = timeGetTime();
  EXPECT_LE(now - before, after - before);  // between the two, across a wrap too
}

// A plain top-level window of the given size and caption.
class TestWindow {
 public:
  TestWindow(const char* caption, int width, int height, DWORD ex_style = 0) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "FizzletTestWindow";
    RegisterClassA(&window_class);  // fails harmlessly when already registered
    // Visible: dialog navigation only works in shown windows.
    window_ = CreateWindowExA(ex_style, "FizzletTestWindow", caption, WS_POPUP | WS_VISIBLE, 0, 0,
                              width, height, nullptr, nullptr, window_class.hInstance, nullptr);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

TEST(Windows, NoSaverWindowSeesAWindowWithTheCaption) {
  const char* caption = "fizzlet test: screen saver running";
  EXPECT_TRUE(no_saver_window(caption));
  {
    const TestWindow window(caption, 10, 10);
    ASSERT_NE(window.get(), nullptr);
    EXPECT_FALSE(no_saver_window(caption));
    EXPECT_TRUE(no_saver_window("fizzlet test: screen saver"));  // whole caption only
  }
  EXPECT_TRUE(no_saver_window(caption));
}

TEST(Windows, CenterFormCentresWithoutResizing) {
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  const int screen_h = GetSystemMetrics(SM_CYSCREEN);
  const TestWindow small("fizzlet test: small", 301, 200);
  center_form(small.get());
  RECT rect{};
  GetWindowRect(small.get(), &rect);
  EXPECT_EQ(rect.right - rect.left, 301);
  EXPECT_EQ(rect.bottom - rect.top, 200);
  // (screen - 301) / 2 ends in .5 on an even screen width: halves go to even.
  const int half_below = (screen_w - 301) / 2;
  const bool tie = (screen_w - 301) % 2 != 0;
  EXPECT_EQ(rect.left, tie && half_below % 2 != 0 ? half_below + 1 : half_below);
  EXPECT_EQ(rect.top, (screen_h - 200) / 2);

  const TestWindow large("fizzlet test: large", screen_w + 200, screen_h + 100);
  center_form(large.get());
  GetWindowRect(large.get(), &rect);
  EXPECT_EQ(rect.left, -100);
  EXPECT_EQ(rect.top, -50);
}

// A child control that counts the key presses it receives and wants none of
// the dialog keys itself.
LRESULT CALLBACK counting_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_GETDLGCODE) return 0;
  if (message == WM_KEYDOWN) {
    SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_USERDATA) + 1);
    return 0;
  }
  return DefWindowProcA(window, message, w, l);
}

TEST(Messages, RegisteredDialogsGetDialogKeysAndQuitIsReported) {
  WNDCLASSA control_class{};
  control_class.lpfnWndProc = counting_proc;
  control_class.hInstance = GetModuleHandleA(nullptr);
  control_class.lpszClassName = "FizzletCountingControl";
  RegisterClassA(&control_class);
  const TestWindow dialog("fizzlet test: dialog", 200, 100);
  HWND control =
      CreateWindowExA(0, "FizzletCountingControl", "", WS_CHILD | WS_TABSTOP | WS_VISIBLE, 0, 0, 10,
                      10, dialog.get(), nullptr, control_class.hInstance, nullptr);
  ASSERT_NE(control, nullptr);
  const auto key_presses = [&] { return GetWindowLongPtrA(control, GWLP_USERDATA); };

  // An ordinary window: Tab reaches the control as a key press.
  PostMessageA(control, WM_KEYDOWN, VK_TAB, 0);
  EXPECT_TRUE(process_pending_messages());
  EXPECT_EQ(key_presses(), 1);

  // A registered modeless dialog: Tab is dialog navigation, not a key press.
  register_modeless_dialog(dialog.get());
  PostMessageA(control, WM_KEYDOWN, VK_TAB, 0);
  EXPECT_TRUE(process_pending_messages());
  EXPECT_EQ(key_presses(), 1);
  PostMessageA(control, WM_KEYDOWN, 'A', 0);  // other keys still arrive
  process_pending_messages();
  EXPECT_EQ(key_presses(), 2);

  unregister_modeless_dialog(dialog.get());
  PostMessageA(control, WM_KEYDOWN, VK_TAB, 0);
  process_pending_messages();
  EXPECT_EQ(key_presses(), 3);

  PostQuitMessage(0);
  EXPECT_FALSE(process_pending_messages());
  EXPECT_TRUE(process_pending_messages());  // the quit was taken from the queue
}

}  // namespace
}  // namespace fizzlet::win32
