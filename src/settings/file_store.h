#pragma once
// The settings store where there is no registry: a text file with one
// "[section]" per section and "name=value" lines, for example
//
//   [Config]
//   total_fizzlet=36
//
// A save writes the whole file to a temporary file beside it and renames that
// over the old one, so a crash or a full disk during a save leaves the
// previous settings intact.  The file holds one application's settings; the
// application name is part of its default location, not of its contents.
//
// The file is read once, at the first get or put, and only when it is a
// regular file of at most kMaxSettingsFileBytes (a FIFO or a link to a device
// in its place must neither block nor read without end).  A UTF-8 byte order
// mark at its start is skipped.  A file that is there but cannot be read is
// treated as empty, problem() says why, and put leaves it alone.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace fizzlet {

inline constexpr std::uintmax_t kMaxSettingsFileBytes = 64 * 1024;

class FileStore final : public SettingsStore {
 public:
  // An empty path: no file; every get gives its default and put does nothing.
  explicit FileStore(std::filesystem::path file);

  std::string get(std::string_view application, std::string_view section, std::string_view name,
                  std::string_view default_text) override;
  // Creates the folder and the file as needed.  A failed write leaves the
  // previous file as it was.
  void put(std::string_view application, std::string_view section, std::string_view name,
           std::string_view text) override;

  const std::filesystem::path& file() const { return file_; }
  std::filesystem::path temporary_file() const;
  // Why the file that is there was not read (empty when it was read or is
  // missing): it is not a regular file, it is too large, or it cannot be read.
  const std::string& problem() const { return problem_; }

  // $XDG_CONFIG_HOME/fizzlet/fizzlet.ini, with HOME/.config when
  // XDG_CONFIG_HOME is unset or not absolute.  HOME is $HOME, or when that is
  // unset or empty account_home (the home the system's account database
  // gives); with neither, the empty path: no file.
  static std::filesystem::path default_path(std::string_view account_home);

 private:
  std::vector<std::string>& lines();

  std::filesystem::path file_;
  std::optional<std::vector<std::string>> lines_;  // the file's lines, once read
  std::string problem_;
};

// The text format, exposed for tests: value text with "\", line breaks and
// carriage returns escaped so that each value stays on one line.
std::string escape_value(std::string_view text);
std::string unescape_value(std::string_view text);

}  // namespace fizzlet
