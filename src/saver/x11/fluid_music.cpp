#include "saver/x11/fluid_music.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

namespace fizzlet::x11 {

namespace {

// Debian's General MIDI SoundFonts (fluid-soundfont-gm, timgm6mb-soundfont,
// musescore-general-soundfont), after FluidSynth's own default.
constexpr const char* kStandardSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
};

// Sound servers in the order they are tried: PulseAudio (also what PipeWire
// desktops offer), then ALSA's default device.
constexpr const char* kAudioDrivers[] = {"pulseaudio", "alsa"};

// FluidSynth's default gain (0.2) leaves the pieces far below full scale; at
// 0.8 their loudest notes peak about 10 dB below it.
constexpr double kGain = 0.8;

// Large periods: the music is background, so latency does not matter, and
// fewer, larger writes cost less processor time.
constexpr int kPeriodFrames = 2048;

// ALSA prints its own complaints (no card, no device) straight to standard
// error; the saver says once, in its own words, why it is silent.
void quiet_alsa(const char*, int, const char*, int, const char*, ...) {}

struct SettingsDeleter {
  void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
  void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct DriverDeleter {
  void operator()(fluid_audio_driver_t* d) const { delete_fluid_audio_driver(d); }
};
struct PlayerDeleter {
  void operator()(fluid_player_t* p) const {
    fluid_player_stop(p);
    delete_fluid_player(p);
  }
};

std::string join(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

bool holds_a_piece(const std::filesystem::path& folder) {
  std::error_code error;
  for (int digit = 0; digit <= 9; ++digit) {
    if (std::filesystem::is_regular_file(folder / ("FZLMUS" + std::to_string(digit) + ".MID"),
                                         error)) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string find_music_folder(std::string& searched) {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  searched.clear();
  if (error) return {};
  const auto own = program.parent_path();
  const std::filesystem::path candidates[] = {own, (own / FIZZLET_MUSIC_RELATIVE).lexically_normal()};
  std::vector<std::string> looked;
  for (const auto& folder : candidates) {
    if (holds_a_piece(folder)) return folder.string() + "/";
    looked.push_back(folder.string());
  }
  searched = join(looked);
  return {};
}

class Synthesizer {
 public:
  // Null, with the reason in why, when the music cannot be had.
  static std::unique_ptr<Synthesizer> open(const std::string& soundfont_option, std::string& why);
  fluid_synth_t* synth() const { return synth_.get(); }

 private:
  std::unique_ptr<fluid_settings_t, SettingsDeleter> settings_;
  std::unique_ptr<fluid_synth_t, SynthDeleter> synth_;
  // Declared last: the output stops before the synthesizer goes.
  std::unique_ptr<fluid_audio_driver_t, DriverDeleter> driver_;
};

std::unique_ptr<Synthesizer> Synthesizer::open(const std::string& soundfont_option,
                                               std::string& why) {
  for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
  snd_lib_error_set_handler(&quiet_alsa);

  auto self = std::make_unique<Synthesizer>();
  self->settings_.reset(new_fluid_settings());
  fluid_settings_t* settings = self->settings_.get();
  if (settings == nullptr) {
    why = "FluidSynth cannot start";
    return nullptr;
  }

  std::vector<std::string> candidates;
  if (!soundfont_option.empty()) {
    candidates.push_back(soundfont_option);
  } else {
    char* fluid_default = nullptr;
    if (fluid_settings_getstr_default(settings, "synth.default-soundfont", &fluid_default) ==
            FLUID_OK &&
        fluid_default != nullptr && *fluid_default != '\0') {
      candidates.emplace_back(fluid_default);
    }
    candidates.insert(candidates.end(), std::begin(kStandardSoundFonts),
                      std::end(kStandardSoundFonts));
  }
  std::string soundfont;
  for (const auto& candidate : candidates) {
    if (fluid_is_soundfont(candidate.c_str()) != 0) {
      soundfont = candidate;
      break;
    }
  }
  if (soundfont.empty()) {
    why = !soundfont_option.empty()
              ? "\"" + soundfont_option + "\" is not a SoundFont that can be read"
              : "no General MIDI SoundFont found (looked for " + join(candidates) +
                    "); install fluid-soundfont-gm or timgm6mb-soundfont, or give -soundfont FILE";
    return nullptr;
  }

  fluid_settings_setint(settings, "audio.period-size", kPeriodFrames);
  fluid_settings_setnum(settings, "synth.gain", kGain);
  self->synth_.reset(new_fluid_synth(settings));
  if (!self->synth_ || fluid_synth_sfload(self->synth_.get(), soundfont.c_str(), 1) == FLUID_FAILED) {
    why = "cannot load the SoundFont " + soundfont;
    return nullptr;
  }

  if (const char* file = std::getenv(kAudioFileVariable); file != nullptr && *file != '\0') {
    fluid_settings_setstr(settings, "audio.driver", "file");
    fluid_settings_setstr(settings, "audio.file.name", file);
    self->driver_.reset(new_fluid_audio_driver(settings, self->synth_.get()));
    if (!self->driver_) why = std::string("cannot write the music to ") + file;
  } else {
    for (const char* driver : kAudioDrivers) {
      fluid_settings_setstr(settings, "audio.driver", driver);
      self->driver_.reset(new_fluid_audio_driver(settings, self->synth_.get()));
      if (self->driver_) break;
    }
    if (!self->driver_) why = "no sound device could be opened (tried PulseAudio and ALSA)";
  }
  if (!self->driver_) return nullptr;
  return self;
}

// One opened piece: a FluidSynth MIDI file player.
struct FluidPlayer::Piece {
  std::unique_ptr<fluid_player_t, PlayerDeleter> player;
};

FluidPlayer::FluidPlayer() = default;

FluidPlayer::~FluidPlayer() { close(); }

void FluidPlayer::attach(std::unique_ptr<Synthesizer> synthesizer) {
  close();
  synthesizer_ = std::move(synthesizer);
}

void FluidPlayer::close() {
  if (!piece_) return;
  piece_.reset();
  // Nothing of the piece may sound on into the next one.
  fluid_synth_all_sounds_off(synthesizer_->synth(), -1);
  fluid_synth_system_reset(synthesizer_->synth());
}

bool FluidPlayer::open(const std::string& path) {
  close();
  if (!synthesizer_ || fluid_is_midifile(path.c_str()) == 0) return false;
  auto piece = std::make_unique<Piece>();
  piece->player.reset(new_fluid_player(synthesizer_->synth()));
  if (!piece->player || fluid_player_add(piece->player.get(), path.c_str()) != FLUID_OK) {
    return false;
  }
  piece_ = std::move(piece);
  return true;
}

bool FluidPlayer::play() {
  return piece_ && fluid_player_play(piece_->player.get()) == FLUID_OK;
}

PlayerMode FluidPlayer::mode() {
  if (!piece_) return PlayerMode::not_open;
  switch (fluid_player_get_status(piece_->player.get())) {
    case FLUID_PLAYER_PLAYING:
      return PlayerMode::playing;
    case FLUID_PLAYER_DONE:
      return PlayerMode::stopped;
    default:
      return PlayerMode::other;
  }
}

SaverMusic::SaverMusic(std::string folder, std::string searched, std::string soundfont)
    : folder_(std::move(folder)),
      searched_(std::move(searched)),
      soundfont_(std::move(soundfont)),
      music_(player_) {}

SaverMusic::~SaverMusic() {
  // A start still under way is waited for (the future's destructor), so
  // that no thread outlives the saver.
}

void SaverMusic::init_music(const Settings& settings) {
  const auto seed = static_cast<std::uint32_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  std::mt19937 generator(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  music_.init_music([&] { return unit(generator); });
  if (!audio_enabled(settings)) return;
  if (folder_.empty()) {
    silent("the pieces FZLMUS0.MID to FZLMUS9.MID are in none of " + searched_);
    return;
  }
  starting_ = std::async(std::launch::async, [soundfont = soundfont_] {
    Started started;
    started.synthesizer = Synthesizer::open(soundfont, started.why);
    return started;
  });
}

void SaverMusic::handle_music(const Settings& settings) {
  if (silent_) return;
  if (!ready_) {
    if (!starting_.valid() ||
        starting_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      return;
    }
    Started started = starting_.get();
    if (!started.synthesizer) {
      silent(started.why);
      return;
    }
    player_.attach(std::move(started.synthesizer));
    ready_ = true;
  }
  // The player's state is asked for once a frame: that is the status period.
  music_.MMControl1_StatusUpdate();
  music_.handle_music(settings, folder_);
}

void SaverMusic::music_off(const Settings& settings) {
  if (ready_) music_.music_off(settings);
}

void SaverMusic::silent(const std::string& why) {
  silent_ = true;
  std::fprintf(stderr, "fizzlet: playing no music: %s\n", why.c_str());
}

}  // namespace fizzlet::x11
