#pragma once
// The settings store on Windows: one registry key per application and
// section under HKEY_CURRENT_USER\Software, every value REG_SZ.

#include <string>
#include <string_view>

#include "settings/settings.h"

namespace fizzlet::win32 {

class RegistryStore final : public SettingsStore {
 public:
  // Values live in HKCU\<base_path>\<application>\<section>.  Tests pass a
  // base path of their own so that they never touch the user's settings.
  explicit RegistryStore(std::string base_path = "Software");

  std::string get(std::string_view application, std::string_view section, std::string_view name,
                   std::string_view default_text) override;
  void put(std::string_view application, std::string_view section, std::string_view name,
           std::string_view text) override;

 private:
  std::string base_path_;
};

}  // namespace fizzlet::win32
