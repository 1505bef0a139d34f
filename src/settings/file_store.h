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

#include <filesystem>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace fizzlet {

class FileStore final : public SettingsStore {
 public:
  explicit FileStore(std::filesystem::path file);

  std::string get(std::string_view application, std::string_view section, std::string_view name,
                  std::string_view default_text) override;
  // Creates the folder and the file as needed.  A failed write leaves the
  // previous file as it was.
  void put(std::string_view application, std::string_view section, std::string_view name,
           std::string_view text) override;

  const std::filesystem::path& file() const { return file_; }
  std::filesystem::path temporary_file() const;

  // $XDG_CONFIG_HOME/fizzlet/fizzlet.ini, with ~/.config when XDG_CONFIG_HOME
  // is unset or not absolute; the current folder when there is no home either.
  static std::filesystem::path default_path();

 private:
  std::filesystem::path file_;
};

// The text format, exposed for tests: value text with "\", line breaks and
// carriage returns escaped so that each value stays on one line.
std::string escape_value(std::string_view text);
std::string unescape_value(std::string_view text);

}  // namespace fizzlet
