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

std::vector<std::string> read_lines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
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

std::filesystem::path FileStore::temporary_file() const {
  auto name = file_.filename();
  name += ".tmp";
  return file_.parent_path() / name;
}

std::filesystem::path FileStore::default_path() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    base = xdg;
  }
  if (!base.is_absolute()) {
    const char* home = std::getenv("HOME");
    base = (home != nullptr && *home != '\0') ? std::filesystem::path(home) / ".config"
                                              : std::filesystem::path(".config");
  }
  return base / "fizzlet" / "fizzlet.ini";
}

std::string FileStore::get(std::string_view, std::string_view section, std::string_view name,
                           std::string_view default_text) {
  std::string_view current_section;
  bool in_section = false;
  for (const auto& line : read_lines(file_)) {
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
  auto lines = read_lines(file_);
  const std::string new_line = std::string(name) + "=" + escape_value(text);

  // Replace the value in place when it exists; otherwise add it at the end
  // of its section, or add the section at the end of the file.
  bool in_section = false;
  bool done = false;
  std::size_t section_end = lines.size();
  bool section_found = false;
  for (std::size_t i = 0; i < lines.size() && !done; ++i) {
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
      lines[i] = new_line;
      done = true;
    }
  }
  if (!done) {
    if (section_found) {
      // Keep blank lines that separate sections after the new value.
      while (section_end > 0 && trim(lines[section_end - 1]).empty()) --section_end;
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(section_end), new_line);
    } else {
      if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
      std::string header = "[";
      header += section;
      header += ']';
      lines.push_back(std::move(header));
      lines.push_back(new_line);
    }
  }

  std::ostringstream contents;
  for (const auto& line : lines) contents << line << '\n';
  const std::string data = contents.str();

  std::error_code error;
  if (file_.has_parent_path()) std::filesystem::create_directories(file_.parent_path(), error);
  const auto temporary = temporary_file();
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (out.fail()) {
      std::filesystem::remove(temporary, error);
      return;
    }
  }
  std::filesystem::rename(temporary, file_, error);
  if (error) std::filesystem::remove(temporary, error);
}

}  // namespace fizzlet
