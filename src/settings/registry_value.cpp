#include "settings/registry_value.h"

#include <array>
#include <cstdio>

namespace fizzlet {

namespace {

std::uint32_t little_endian_number(std::span<const std::uint8_t> data) {
  return static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
         static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

}  // namespace

std::optional<std::string> settings_value_text(std::uint32_t type,
                                               std::span<const std::uint8_t> data) {
  if (type == registry_type::kNumber && data.size() >= 4) {
    return std::to_string(little_endian_number(data));
  }
  if (type != registry_type::kString && type != registry_type::kExpandString) return std::nullopt;
  std::string text(data.begin(), data.end());
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::string probed_value_text(std::uint32_t type, std::span<const std::uint8_t> data) {
  if (type == registry_type::kNumber) {
    // The system hands over at least four bytes for a number.
    std::array<std::uint8_t, 4> bytes{};
    for (std::size_t i = 0; i < bytes.size() && i < data.size(); ++i) bytes[i] = data[i];
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%03lu",
                  static_cast<unsigned long>(little_endian_number(bytes)));
    return text.data();
  }
  if (data.empty()) return {};
  std::size_t size = data.size();
  if (data[size - 1] == 0) --size;
  return std::string(reinterpret_cast<const char *>(data.data()), size);
}

bool is_predefined_root(std::uint32_t root) { return root >= 0x80000000u && root <= 0x80000006u; }

std::string settings_key_path(std::string_view base, std::string_view application,
                              std::string_view section) {
  std::string path(base);
  path += '\\';
  path += application;
  path += '\\';
  path += section;
  return path;
}

}  // namespace fizzlet
