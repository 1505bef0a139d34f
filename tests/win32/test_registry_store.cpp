#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "settings/settings.h"
#include "settings/win32/registry_key.h"
#include "settings/win32/registry_store.h"

namespace fizzlet::win32 {
namespace {

// Every test works under a key of its own below HKCU and removes it after.
class RegistryStoreTest : public ::testing::Test {
 protected:
  static constexpr char kBase[] = "Software\\FizzletTests\\Store";
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBase); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBase); }

  static std::string config_path() {
    return std::string(kBase) + "\\" + std::string(kAppKey) + "\\" + std::string(kSection);
  }
  // Reads a value straight from the registry: its type and bytes.
  static bool raw_value(const std::string& name, DWORD& type, std::string& data) {
    const RegistryKey key =
        RegistryKey::open(HKEY_CURRENT_USER, config_path().c_str(), KEY_READ);
    if (!key) return false;
    char buffer[512] = {};
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
      return false;
    }
    data.assign(buffer, size);
    return true;
  }
  RegistryStore store_{kBase};
};

TEST_F(RegistryStoreTest, RoundTripsTextAsRegSz) {
  EXPECT_EQ(store_.get(kAppKey, kSection, "total_fizzlet", "36"), "36");  // nothing yet

  store_.put(kAppKey, kSection, "total_fizzlet", "42");
  store_.put(kAppKey, kSection, "misc", "");
  const std::string long_text(1000, 'x');  // larger than any first read buffer
  store_.put(kAppKey, kSection, "long", long_text);
  store_.put(kAppKey, kSection, "total_fizzlet", "43");

  EXPECT_EQ(store_.get(kAppKey, kSection, "total_fizzlet", "?"), "43");
  EXPECT_EQ(store_.get(kAppKey, kSection, "misc", "?"), "");
  EXPECT_EQ(store_.get(kAppKey, kSection, "long", "?"), long_text);
  EXPECT_EQ(store_.get(kAppKey, kSection, "absent", "dflt"), "dflt");
  EXPECT_EQ(store_.get(kAppKey, "OtherSection", "total_fizzlet", "dflt"), "dflt");

  DWORD type = 0;
  std::string data;
  ASSERT_TRUE(raw_value("total_fizzlet", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(data, std::string("43\0", 3));  // stored with its terminating zero
}

TEST_F(RegistryStoreTest, ReadsValuesThatOtherToolsWroteDifferently) {
  store_.put(kAppKey, kSection, "seed", "x");  // creates the key
  RegistryKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, config_path().c_str(), 0, KEY_SET_VALUE,
                          key.receive()),
            ERROR_SUCCESS);
  const DWORD fifty = 50;
  RegSetValueExA(key.get(), "pop_chance", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&fifty),
                 sizeof fifty);
  RegSetValueExA(key.get(), "unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab"), 2);
  const BYTE blob[] = {1, 2, 3};
  RegSetValueExA(key.get(), "binary", 0, REG_BINARY, blob, sizeof blob);

  EXPECT_EQ(store_.get(kAppKey, kSection, "pop_chance", "?"), "50");
  EXPECT_EQ(store_.get(kAppKey, kSection, "unterminated", "?"), "ab");
  EXPECT_EQ(store_.get(kAppKey, kSection, "binary", "dflt"), "dflt");
}

TEST_F(RegistryStoreTest, SettingsSaveAndLoadThroughTheRegistry) {
  Settings settings;
  settings.total_fizzlet = 99;
  settings.pop_chance = 50;
  settings.audio_on = "0";
  settings.password_plain = "Secret!";
  save_settings(store_, settings);

  Settings back;
  load_settings(store_, back);
  EXPECT_EQ(back.total_fizzlet, 99);
  EXPECT_EQ(back.pop_chance, 50);
  EXPECT_EQ(back.audio_on, "0");
  EXPECT_EQ(back.password_plain, "Secret!");
  EXPECT_EQ(back.password_scrambled.size(), 14u);

  // The real store lives in HKCU\Software\Tarvo Fizzlet Screen Saver\Config.
  RegistryStore user_store;
  EXPECT_EQ(user_store.get(kAppKey, kSection, "fizzlet-test-absent", "d"), "d");
}

}  // namespace
}  // namespace fizzlet::win32
