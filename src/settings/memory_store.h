#pragma once
// A settings store held in memory, for tests and for runs that must not touch
// the user's settings.  It also counts writes, so tests can check that
// loading never writes anything back.

#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "settings/settings.h"

namespace fizzlet {

class MemoryStore final : public SettingsStore {
 public:
  std::string get(std::string_view application, std::string_view section, std::string_view name,
                  std::string_view default_text) override {
    const auto it = values_.find(key(application, section, name));
    return it == values_.end() ? std::string(default_text) : it->second;
  }
  void put(std::string_view application, std::string_view section, std::string_view name,
           std::string_view text) override {
    values_[key(application, section, name)] = std::string(text);
    ++put_count_;
  }

  // Sets a value in the application's Config section without counting it.
  void seed(std::string_view name, std::string_view text) {
    values_[key(kAppKey, kSection, name)] = std::string(text);
  }
  bool contains(std::string_view name) const {
    return values_.count(key(kAppKey, kSection, name)) != 0;
  }
  int put_count() const { return put_count_; }

 private:
  using Key = std::tuple<std::string, std::string, std::string>;
  static Key key(std::string_view application, std::string_view section, std::string_view name) {
    return {std::string(application), std::string(section), std::string(name)};
  }
  std::map<Key, std::string> values_;
  int put_count_ = 0;
};

}  // namespace fizzlet
