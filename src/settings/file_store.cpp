#include "settings/file_store.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace fizzlet {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// "[name]" gives name; anything else gives nullopt-like empty with false.
bool section_header(std::string_view line, std::string_view& name) {
  line = trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  name = trim(line.substr(1, line.size() - 2));
  return true;
}

// "name=value": the name is trimmed, the value kept as written.
bool value_line(std::string_view line, std::string_view& name, std::string_view& value) {
  const auto trimmed = trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return false;
  const auto equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  name = trim(line.substr(0, equals));
  value = line.substr(equals + 1);
  return !name.empty();
}

// The file's text, or nothing with the reason in problem.  A missing file
// is empty.  The size is checked before reading and again while reading, in
// case the file grows in between.
std::optional<std::string> read_text(const std::filesystem::path& file, std::string& problem) {
  std::error_code error;
  const auto status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) return std::string();
  if (error) {
    problem = "it cannot be read (" + error.message() + ")";
    return std::nullopt;
  }
  if (!std::filesystem::is_regular_file(status)) {
    problem = "it is not a regular file";
    return std::nullopt;
  }
  const std::string too_large =
      "it is larger than " + std::to_string(kMaxSettingsFileBytes / 1024) + " KB";
  const auto size = std::filesystem::file_size(file, error);
  if (!error && size > kMaxSettingsFileBytes) {
    problem = too_large;
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  std::string text(kMaxSettingsFileBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (!in.is_open() || in.bad()) {
    problem = "it cannot be read";
    return std::nullopt;
  }
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kMaxSettingsFileBytes) {
    problem = too_large;
    return std::nullopt;
  }
  return text;
}

std::vector<std::string> split_lines(std::string_view text) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::vector<std::string> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
  }
  return lines;
}

// The value's line replaces the old one in place when there is one;
// otherwise it goes at the end of its section, or the section goes at the
// end of the file.
void set_value(std::vector<std::string>& lines, std::string_view section, std::string_view name,
               std::string new_line) {
  bool in_section = false;
  std::size_t section_end = lines.size();
  bool section_found = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view header;
    std::string_view key;
    std::string_view value;
    if (section_header(lines[i], header)) {
      if (in_section) {
        section_end = i;
        break;
      }
      in_section = same_name(header, section);
      section_found = section_found || in_section;
    } else if (in_section && value_line(lines[i], key, value) && same_name(key, name)) {
      lines[i] = std::move(new_line);
      return;
    }
  }
  if (section_found) {
    // Keep blank lines that separate sections after the new value.
    while (section_end > 0 && trim(lines[section_end - 1]).empty()) --section_end;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(section_end), std::move(new_line));
  } else {
    if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
    std::string header = "[";
    header += section;
    header += ']';
    lines.push_back(std::move(header));
    lines.push_back(std::move(new_line));
  }
}

// Writes the lines to the temporary file and renames it over the file;
// false, with the temporary file gone, when either fails.
bool write_lines(const std::filesystem::path& file, const std::filesystem::path& temporary,
                 const std::vector<std::string>& lines) {
  std::ostringstream contents;
  for (const auto& line : lines) contents << line << '\n';
  const std::string data = contents.str();

  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (out.fail()) {
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, file, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace

std::string escape_value(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string unescape_value(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    if (next == 'n') {
      out += '\n';
    } else if (next == 'r') {
      out += '\r';
    } else if (next == '\\') {
      out += '\\';
    } else {  // not an escape we write: keep both characters
      out += '\\';
      out += next;
    }
  }
  return out;
}

FileStore::FileStore(std::filesystem::path file) : file_(std::move(file)) {}

std::vector<std::string>& FileStore::lines() {
  if (!lines_) {
    const auto text = file_.empty() ? std::string() : read_text(file_, problem_);
    lines_ = split_lines(text.value_or(std::string()));
  }
  return *lines_;
}

std::filesystem::path FileStore::temporary_file() const {
  auto name = file_.filename();
  name += ".tmp";
  return file_.parent_path() / name;
}

std::filesystem::path FileStore::default_path(std::string_view account_home) {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    base = xdg;
  }
  if (!base.is_absolute()) {
    const char* variable = std::getenv("HOME");
    const std::string_view home =
        variable != nullptr && *variable != '\0' ? std::string_view(variable) : account_home;
    if (home.empty()) return {};
    base = std::filesystem::path(home) / ".config";
  }
  return base / "fizzlet" / "fizzlet.ini";
}

std::string FileStore::get(std::string_view, std::string_view section, std::string_view name,
                           std::string_view default_text) {
  std::string_view current_section;
  bool in_section = false;
  for (const auto& line : lines()) {
    std::string_view key;
    std::string_view value;
    if (section_header(line, current_section)) {
      in_section = same_name(current_section, section);
    } else if (in_section && value_line(line, key, value) && same_name(key, name)) {
      return unescape_value(value);
    }
  }
  return std::string(default_text);
}

void FileStore::put(std::string_view, std::string_view section, std::string_view name,
                    std::string_view text) {
  // A file that is there but could not be read is not replaced by one
  // without its contents.
  auto& lines = this->lines();
  if (file_.empty() || !problem_.empty()) return;
  set_value(lines, section, name, std::string(name) + "=" + escape_value(text));
  // After a failed save the next get reads the file again.
  if (!write_lines(file_, temporary_file(), lines)) lines_.reset();
}

}  // namespace fizzlet
