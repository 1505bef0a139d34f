#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "settings/file_store.h"
#include "settings/settings.h"

namespace fizzlet {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed afterwards.
class FileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    folder_ = fs::temp_directory_path() / ("fizzlet-store-" + std::to_string(random()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  static std::string read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void write(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
  }
  std::string get(FileStore& store, std::string_view name) {
    return store.get(kAppKey, kSection, name, "<default>");
  }
  fs::path folder_;
};

TEST_F(FileStoreTest, MissingFileGivesDefaultsAndPutCreatesFoldersAndFile) {
  FileStore store(folder_ / "deep" / "er" / "fizzlet.ini");
  EXPECT_EQ(get(store, "total_fizzlet"), "<default>");
  EXPECT_FALSE(fs::exists(store.file()));  // reading never creates anything

  store.put(kAppKey, kSection, "total_fizzlet", "42");
  store.put(kAppKey, kSection, "misc", "zexowe");
  store.put(kAppKey, kSection, "total_fizzlet", "43");  // replaced in place
  EXPECT_EQ(read(store.file()), "[Config]\ntotal_fizzlet=43\nmisc=zexowe\n");
  EXPECT_EQ(get(store, "total_fizzlet"), "43");
  EXPECT_EQ(get(store, "TOTAL_FIZZLET"), "43");  // names ignore case, as in the registry
  EXPECT_EQ(get(store, "pop_chance"), "<default>");
  EXPECT_EQ(store.get(kAppKey, "Other", "total_fizzlet", "d"), "d");
  EXPECT_FALSE(fs::exists(store.temporary_file()));
}

TEST_F(FileStoreTest, KeepsOtherSectionsCommentsAndUnusualText) {
  const fs::path file = folder_ / "fizzlet.ini";
  write(file, "; written by hand\r\n[Other]\r\nmisc=other\r\n\r\n[config]\r\n pop_chance = 7\r\n\r\n"
              "[Last]\r\nx=1\r\n");
  FileStore store(file);
  EXPECT_EQ(get(store, "misc"), "<default>");
  EXPECT_EQ(get(store, "pop_chance"), " 7");  // values are kept as written
  store.put(kAppKey, kSection, "audio_on", "0");
  EXPECT_EQ(read(file),
            "; written by hand\n[Other]\nmisc=other\n\n[config]\n pop_chance = 7\naudio_on=0\n\n"
            "[Last]\nx=1\n");

  const std::string odd = "two\nlines\\ and \r = [brackets] ";
  store.put(kAppKey, kSection, "misc", odd);
  EXPECT_EQ(get(store, "misc"), odd);
  EXPECT_EQ(store.get(kAppKey, "Other", "misc", ""), "other");
  EXPECT_EQ(store.get(kAppKey, "Last", "x", ""), "1");

  EXPECT_EQ(unescape_value("a\\qb\\"), "a\\qb\\");  // stray backslashes stay as written

  // Line breaks at the very end of a value, where a line ending would take
  // them, come back from a fresh store and survive the next save.
  for (const std::string tail : {"cr\r", "crlf\r\n", "lf\n", "back\\"}) {
    store.put(kAppKey, kSection, "misc", tail);
    FileStore reread(file);
    EXPECT_EQ(get(reread, "misc"), tail);
    reread.put(kAppKey, kSection, "pop_chance", "8");
    EXPECT_EQ(get(reread, "misc"), tail);
  }
}

TEST_F(FileStoreTest, SettingsSurviveAnInterruptedSave) {
  const fs::path file = folder_ / "fizzlet.ini";
  FileStore store(file);
  Settings settings;
  settings.total_fizzlet = 77;
  settings.password_plain = "abc";
  save_settings(store, settings);
  const std::string saved = read(file);

  // A save that died while writing leaves a half-written temporary file:
  // the settings still load from the previous file, and the next save
  // replaces the leftover.
  write(store.temporary_file(), "[Config]\ntotal_fizz");
  Settings reloaded;
  load_settings(store, reloaded);
  EXPECT_EQ(reloaded.total_fizzlet, 77);
  EXPECT_EQ(reloaded.password_plain, "abc");
  store.put(kAppKey, kSection, "pop_chance", "5");
  EXPECT_EQ(get(store, "total_fizzlet"), "77");
  EXPECT_EQ(get(store, "pop_chance"), "5");
  EXPECT_FALSE(fs::exists(store.temporary_file()));

  // A save that cannot write its temporary file leaves the old file alone.
  const std::string before = read(file);
  fs::create_directories(store.temporary_file() / "blocker");
  store.put(kAppKey, kSection, "total_fizzlet", "1");
  EXPECT_EQ(read(file), before);
  EXPECT_NE(before, saved);

  // A save whose final rename fails (a folder is in the file's place)
  // leaves no temporary file behind.
  FileStore blocked(folder_ / "blocked.ini");
  fs::create_directories(blocked.file() / "content");
  blocked.put(kAppKey, kSection, "total_fizzlet", "1");
  EXPECT_FALSE(fs::exists(blocked.temporary_file()));
  EXPECT_TRUE(fs::is_directory(blocked.file()));
}

// Only a regular file of a sane size is read, once; one that is there but
// cannot be read is left alone and said.
TEST_F(FileStoreTest, ReadsOnlyARegularFileOfASaneSizeAndOnlyOnce) {
  const std::string settings = "[Config]\ntotal_fizzlet=12\n";
  // A comment that makes the file the largest that is read, and more bytes.
  const auto comment = [&](std::size_t more) {
    return std::string(kMaxSettingsFileBytes - settings.size() + more, ';');
  };
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> make;
    const char* total_fizzlet;
    const char* problem;
  };
  const std::vector<Case> cases = {
      {"missing", [](const fs::path&) {}, "<default>", ""},
      {"byte order mark", [&](const fs::path& f) { write(f, "\xEF\xBB\xBF" + settings); }, "12", ""},
      {"largest", [&](const fs::path& f) { write(f, settings + comment(0)); }, "12", ""},
      {"too large", [&](const fs::path& f) { write(f, settings + comment(1)); }, "<default>",
       "it is larger than 64 KB"},
      {"folder", [](const fs::path& f) { fs::create_directories(f); }, "<default>",
       "it is not a regular file"},
#if !defined(_WIN32)
      {"fifo", [](const fs::path& f) { ASSERT_EQ(mkfifo(f.c_str(), 0600), 0); }, "<default>",
       "it is not a regular file"},
      {"endless device", [](const fs::path& f) { fs::create_symlink("/dev/urandom", f); },
       "<default>", "it is not a regular file"},
#endif
  };
  for (const Case& c : cases) {
    const fs::path file = folder_ / c.what;
    c.make(file);
    const auto type = fs::symlink_status(file).type();
    FileStore store(file);
    EXPECT_EQ(get(store, "total_fizzlet"), c.total_fizzlet) << c.what;
    EXPECT_EQ(store.problem(), c.problem) << c.what;
    if (*c.problem != '\0') {
      store.put(kAppKey, kSection, "total_fizzlet", "5");
      EXPECT_EQ(fs::symlink_status(file).type(), type) << c.what << ": replaced";
    }
  }
  // Read once: a later change of the file is not seen by the same store.
  const fs::path file = folder_ / "once.ini";
  write(file, settings);
  FileStore store(file);
  EXPECT_EQ(get(store, "total_fizzlet"), "12");
  write(file, "[Config]\ntotal_fizzlet=13\n");
  EXPECT_EQ(get(store, "total_fizzlet"), "12");
}

TEST(FileStorePath, FollowsXdgConfigHome) {
#if defined(_WIN32)
  GTEST_SKIP() << "the file store is the settings store of other systems";
#else
  // Puts a variable back as it was, unset when it was unset, whatever the
  // test does to it.
  class SavedVariable {
   public:
    explicit SavedVariable(const char* name) : name_(name) {
      const char* value = std::getenv(name);
      if (value != nullptr) value_ = value;
    }
    ~SavedVariable() {
      if (value_) {
        setenv(name_, value_->c_str(), 1);
      } else {
        unsetenv(name_);
      }
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

   private:
    const char* name_;
    std::optional<std::string> value_;
  };
  const SavedVariable xdg("XDG_CONFIG_HOME");
  const SavedVariable home("HOME");
  setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
  EXPECT_EQ(FileStore::default_path(""), fs::path("/somewhere/config/fizzlet/fizzlet.ini"));
  setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(FileStore::default_path("/acct"), fs::path("/home/someone/.config/fizzlet/fizzlet.ini"));
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(FileStore::default_path(""), fs::path("/home/someone/.config/fizzlet/fizzlet.ini"));
  // Without $HOME the account's home, else no file (never the current folder).
  setenv("HOME", "", 1);
  EXPECT_EQ(FileStore::default_path("/acct"), fs::path("/acct/.config/fizzlet/fizzlet.ini"));
  unsetenv("HOME");
  EXPECT_EQ(FileStore::default_path(""), fs::path());
  FileStore none(FileStore::default_path(""));
  none.put(kAppKey, kSection, "total_fizzlet", "5");
  EXPECT_EQ(none.get(kAppKey, kSection, "total_fizzlet", "d"), "d");
  EXPECT_FALSE(fs::exists(".config"));
#endif
}

}  // namespace
}  // namespace fizzlet
