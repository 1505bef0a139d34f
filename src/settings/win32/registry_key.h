#pragma once
// An open registry key that closes itself.

#include <windows.h>

#include <cstdint>
#include <utility>

namespace fizzlet::win32 {

class RegistryKey {
 public:
  RegistryKey() = default;
  explicit RegistryKey(HKEY key) : key_(key) {}
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
      close();
      key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
  }
  ~RegistryKey() { close(); }

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  // For the Reg*Ex calls that hand back a new key: closes any key held now.
  HKEY* receive() {
    close();
    return &key_;
  }

  // After a failed Reg*Ex call: whatever it left in the handle is not a key.
  void forget() { key_ = nullptr; }

  // Opens root\path; an empty RegistryKey when that fails.
  static RegistryKey open(HKEY root, const char* path, REGSAM access) {
    RegistryKey key;
    if (RegOpenKeyExA(root, path, 0, access, key.receive()) != ERROR_SUCCESS) key.forget();
    return key;
  }

 private:
  void close() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }
  HKEY key_ = nullptr;
};

// The predefined root key with the given 32-bit number (0x80000000 ..
// 0x80000006), sign-extended as Windows defines the HKEY_* constants.
inline HKEY predefined_root_key(std::uint32_t root) {
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<std::int32_t>(root))));
}

}  // namespace fizzlet::win32
