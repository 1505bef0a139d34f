// The MCI player and the saver's music under Wine: commands reach winmm's
// real sequencer, missing and broken files fail cleanly and are skipped,
// notifications end a piece, and with music off nothing reaches winmm.

#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "music/win32/mci_player.h"

namespace fizzlet::win32 {
namespace {

// A folder of its own in %TEMP%, removed again at the end.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "fizzlet-music-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const auto& name : files_) DeleteFileA((path_ + name).c_str());
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& path() const { return path_; }
  void write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path_ + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    files_.push_back(name);
  }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

// A standard MIDI file of a few seconds: one track, eight quarter notes.
std::vector<std::uint8_t> small_midi() {
  std::vector<int> track = {0x00, 0xC0, 12};  // marimba
  for (int key : {60, 64, 67, 72, 67, 64, 60, 55}) {
    for (int b : {0x00, 0x90, key, 90, 0x83, 0x60, 0x80, key, 0}) track.push_back(b);
  }
  for (int b : {0x00, 0xFF, 0x2F, 0x00}) track.push_back(b);
  std::vector<int> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0,
                           'M', 'T', 'r', 'k', 0, 0, 0, static_cast<int>(track.size())};
  for (int b : track) file.push_back(b);
  std::vector<std::uint8_t> bytes;
  for (int b : file) bytes.push_back(static_cast<std::uint8_t>(b));
  return bytes;
}

bool alias_open() {
  char answer[64] = {};
  return mciSendStringA("status fizzlet_music mode", answer, sizeof answer, nullptr) == 0;
}

TEST(MciPlayer, OpensPlaysAndClosesTheRealSequencerAndFailsCleanlyOnMissingFiles) {
  TempFolder folder;
  folder.write("piece.mid", small_midi());
  {
    MciPlayer player;
    EXPECT_EQ(player.mode(), PlayerMode::not_open);
    EXPECT_FALSE(player.play()) << "nothing to play before open";

    ASSERT_TRUE(player.open(folder.path() + "piece.mid"));
    EXPECT_NE(player.device_id(), 0u);
    EXPECT_TRUE(alias_open());
    EXPECT_TRUE(player.play());
    const PlayerMode mode = player.mode();
    EXPECT_TRUE(mode == PlayerMode::playing || mode == PlayerMode::stopped)
        << "the device answers the mode query";

    player.close();
    EXPECT_FALSE(alias_open());
    EXPECT_EQ(player.mode(), PlayerMode::not_open);
    EXPECT_EQ(player.device_id(), 0u);

    EXPECT_FALSE(player.open(folder.path() + "no-such-piece.mid"));
    EXPECT_FALSE(player.play());
    EXPECT_FALSE(alias_open());
    EXPECT_FALSE(player.open(folder.path() + "a\"quote.mid"));

    // Open again after a failure: the alias is free.
    ASSERT_TRUE(player.open(folder.path() + "piece.mid"));
    EXPECT_TRUE(player.play());
  }
  EXPECT_FALSE(alias_open()) << "the player closes its device when it goes";
}

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND make_window() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = plain_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "fizzlet_music_test";
  RegisterClassA(&wc);
  return CreateWindowA("fizzlet_music_test", "music test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                       nullptr, wc.hInstance, nullptr);
}

TEST(SaverMusic, PlaysFromTheProgramFolderFollowsTheDeviceModeAndStopsWhenAllAreMissing) {
  TempFolder folder;
  for (int digit = 0; digit <= 9; ++digit) {
    folder.write("FZLMUS" + std::to_string(digit) + ".MID", small_midi());
  }
  HWND window = make_window();
  ASSERT_NE(window, nullptr);
  Settings on;
  on.audio_on = "1";
  {
    SaverMusic music(folder.path(), window);
    music.init_music(on);
    EXPECT_FALSE(KillTimer(window, kMusicStatusTimerId)) << "no status timer before a piece";
    music.handle_music(on);
    EXPECT_TRUE(music.music().music_playing());
    EXPECT_TRUE(alias_open());
    EXPECT_TRUE(KillTimer(window, kMusicStatusTimerId)) << "the status timer runs with a piece";

    // Notifications and the timer are the music's; they ask the device for
    // its mode, which still says the piece plays (Wine's sequencer without a
    // sound device never finishes a piece, so the end is not tested here).
    const UINT device = mciGetDeviceIDA("fizzlet_music");
    EXPECT_TRUE(music.handle_message(MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, device));
    EXPECT_TRUE(music.handle_message(MM_MCINOTIFY, MCI_NOTIFY_ABORTED, 0x7777));
    EXPECT_TRUE(music.music().music_playing());
    // Once the device is gone the next status update ends the piece, and the
    // next frame starts the following one.
    const int first = music.music().music_index();
    mciSendStringA("close fizzlet_music", nullptr, 0, nullptr);
    EXPECT_TRUE(music.handle_message(WM_TIMER, kMusicStatusTimerId, 0));
    EXPECT_FALSE(music.music().music_playing());
    music.handle_music(on);
    EXPECT_EQ(music.music().music_index(), first % 10 + 1);
    EXPECT_TRUE(music.music().music_playing());

    EXPECT_TRUE(music.handle_message(WM_TIMER, kMusicStatusTimerId, 0));
    EXPECT_FALSE(music.handle_message(WM_TIMER, kMusicStatusTimerId + 1, 0));
    EXPECT_FALSE(music.handle_message(WM_MOUSEMOVE, 0, 0));

    music.music_off(on);
    EXPECT_FALSE(alias_open());
  }
  {
    SaverMusic music(folder.path() + "missing\\", window);
    music.init_music(on);
    for (int frame = 0; frame < 30; ++frame) music.handle_music(on);
    EXPECT_TRUE(music.music().gave_up());
    EXPECT_FALSE(music.music().music_playing());
    EXPECT_FALSE(alias_open());
    music.music_off(on);
  }
  DestroyWindow(window);
}

TEST(SaverMusic, SkipsBrokenPiecesAndPlaysTheNextGoodOne) {
  // Nine of the ten pieces are broken: not a MIDI file, cut off after the
  // header, empty, or some other file under the name.  The sequencer refuses
  // to open each, and the music goes on to the next piece until it finds the
  // good one, without giving up.
  const auto good = small_midi();
  auto bad_magic = good;
  bad_magic[0] = 'X';
  auto header_only = good;
  header_only.resize(14);
  const std::vector<std::vector<std::uint8_t>> broken = {
      bad_magic, header_only, {}, std::vector<std::uint8_t>(500, 'A')};
  TempFolder folder;
  constexpr int kGoodDigit = 7;
  for (int digit = 0; digit <= 9; ++digit) {
    folder.write("FZLMUS" + std::to_string(digit) + ".MID",
                 digit == kGoodDigit ? good : broken[std::size_t(digit) % broken.size()]);
  }
  HWND window = make_window();
  ASSERT_NE(window, nullptr);
  Settings on;
  on.audio_on = "1";
  {
    SaverMusic music(folder.path(), window);
    music.init_music(on);
    for (int frame = 0; frame < 10 && !music.music().music_playing(); ++frame) {
      music.handle_music(on);
    }
    EXPECT_TRUE(music.music().music_playing());
    EXPECT_EQ(music.music().music_index(), kGoodDigit) << "slot 7 holds FZLMUS7.MID";
    EXPECT_FALSE(music.music().gave_up());
    EXPECT_TRUE(alias_open());
    music.music_off(on);
  }
  DestroyWindow(window);
}

TEST(SaverMusic, WithMusicOffNoCommandReachesTheDeviceNotEvenAtUnload) {
  TempFolder folder;
  for (int digit = 0; digit <= 9; ++digit) {
    folder.write("FZLMUS" + std::to_string(digit) + ".MID", small_midi());
  }
  HWND window = make_window();
  ASSERT_NE(window, nullptr);
  // A device open under the music's own alias: any "close" from the music
  // would end it.
  const std::string open = "open \"" + folder.path() + "FZLMUS1.MID\" type sequencer alias fizzlet_music";
  ASSERT_EQ(mciSendStringA(open.c_str(), nullptr, 0, nullptr), 0u);
  Settings off;
  off.audio_on = "0";
  {
    SaverMusic music(folder.path(), window);
    music.init_music(off);
    for (int frame = 0; frame < 30; ++frame) {
      music.handle_music(off);
      music.handle_message(WM_TIMER, kMusicStatusTimerId, 0);
    }
    EXPECT_FALSE(music.music().music_playing());
    EXPECT_FALSE(KillTimer(window, kMusicStatusTimerId)) << "no status polling with music off";
    music.music_off(off);
  }
  EXPECT_TRUE(alias_open()) << "the music closed a device although it is off";
  mciSendStringA("close fizzlet_music", nullptr, 0, nullptr);
  DestroyWindow(window);
}

}  // namespace
}  // namespace fizzlet::win32
