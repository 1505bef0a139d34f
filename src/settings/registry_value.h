#pragma once
// How registry data reads as text, free of the system's headers: the
// settings store's values and the system options that start-up probes.
// Types and root keys are the system's own numbers.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace fizzlet {

namespace registry_type {
inline constexpr std::uint32_t kString = 1;        // REG_SZ
inline constexpr std::uint32_t kExpandString = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t kNumber = 4;        // REG_DWORD, little-endian
}  // namespace registry_type

// A settings value: a number in decimal ("7"), a string without its
// terminating zeros; nothing for any other type or a number of fewer than
// four bytes (the caller's default then).
std::optional<std::string> settings_value_text(std::uint32_t type,
                                               std::span<const std::uint8_t> data);

// A probed system option: a number as zero-padded decimal ("001"), any
// other type as its bytes without one terminating zero (data stored without
// it keeps its last character).
std::string probed_value_text(std::uint32_t type, std::span<const std::uint8_t> data);

// The predefined root keys are 0x80000000 .. 0x80000006.
bool is_predefined_root(std::uint32_t root);

// The key of a settings section: base\application\section.
std::string settings_key_path(std::string_view base, std::string_view application,
                              std::string_view section);

}  // namespace fizzlet
