#include "settings/win32/registry_store.h"

#include <vector>

#include "settings/registry_value.h"
#include "settings/win32/registry_key.h"

namespace fizzlet::win32 {

RegistryStore::RegistryStore(std::string base_path) : base_path_(std::move(base_path)) {}

std::string RegistryStore::get(std::string_view application, std::string_view section,
                               std::string_view name, std::string_view default_text) {
  const std::string path = settings_key_path(base_path_, application, section);
  const RegistryKey key = RegistryKey::open(HKEY_CURRENT_USER, path.c_str(), KEY_READ);
  if (!key) return std::string(default_text);
  const std::string value_name(name);
  // The value may grow between the size query and the read; ask again then.
  std::vector<BYTE> data(64);
  DWORD type = 0;
  LONG result = ERROR_MORE_DATA;
  for (int attempt = 0; attempt < 4 && result == ERROR_MORE_DATA; ++attempt) {
    auto size = static_cast<DWORD>(data.size());
    result = RegQueryValueExA(key.get(), value_name.c_str(), nullptr, &type, data.data(), &size);
    if (result == ERROR_MORE_DATA) {
      data.resize(static_cast<std::size_t>(size) + 1);
    } else {
      data.resize(size);
    }
  }
  if (result != ERROR_SUCCESS) return std::string(default_text);
  return settings_value_text(type, data).value_or(std::string(default_text));
}

void RegistryStore::put(std::string_view application, std::string_view section,
                        std::string_view name, std::string_view text) {
  RegistryKey key;
  const std::string path = settings_key_path(base_path_, application, section);
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.receive(),
                      nullptr) != ERROR_SUCCESS) {
    key.forget();
    return;
  }
  const std::string value_name(name);
  const std::string data(text);  // c_str() supplies the terminating zero
  RegSetValueExA(key.get(), value_name.c_str(), 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
}

}  // namespace fizzlet::win32
