#include "music/fluidsynth/fluid_music.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

#include "music/music_places.h"

namespace fizzlet::fluidsynth {

namespace {

// Sound servers in the order they are tried: PulseAudio (also what PipeWire
// desktops offer), then ALSA's default device.
constexpr const char* kAudioDrivers[] = {"pulseaudio", "alsa"};

// FluidSynth's default gain (0.2) leaves the pieces far below full scale; at
// 0.8 their loudest notes peak about 10 dB below it.
constexpr double kGain = 0.8;

// Large periods: the music is background, so latency does not matter, and
// fewer, larger writes cost less processor time.
constexpr int kPeriodFrames = 2048;

// FluidSynth 2.2 and later.
constexpr char kFluidSynthLibrary[] = "libfluidsynth.so.3";

// The FluidSynth functions the music uses, with the types of their
// declarations in <fluidsynth.h>.
#define FIZZLET_FLUID_FUNCTIONS(X)                                                         \
  X(new_fluid_settings) X(delete_fluid_settings) X(fluid_settings_getstr_default)          \
  X(fluid_settings_setint) X(fluid_settings_setnum) X(fluid_settings_setstr)               \
  X(new_fluid_synth) X(delete_fluid_synth) X(fluid_synth_sfload)                           \
  X(fluid_synth_all_sounds_off) X(fluid_synth_system_reset) X(new_fluid_audio_driver)      \
  X(delete_fluid_audio_driver) X(new_fluid_player) X(delete_fluid_player)                  \
  X(fluid_player_add) X(fluid_player_play) X(fluid_player_stop) X(fluid_player_get_status) \
  X(fluid_player_set_tick_callback) X(fluid_is_soundfont) X(fluid_is_midifile)             \
  X(fluid_set_log_function)

struct FluidApi {
#define FIZZLET_FLUID_MEMBER(name) decltype(&::name) name = nullptr;
  FIZZLET_FLUID_FUNCTIONS(FIZZLET_FLUID_MEMBER)
#undef FIZZLET_FLUID_MEMBER
};

// ALSA prints its own complaints (no card, no device) straight to standard
// error; the saver says once, in its own words, why it is silent.
void quiet_alsa(const char*, int, const char*, int, const char*, ...) {}
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler);

// FluidSynth is loaded when the music starts, on the music's own thread:
// linked to the program, it and the sixty libraries it needs would add tens
// of milliseconds to every start, and without it the saver still runs,
// silently.  The library stays loaded for the rest of the process (its
// threads and those of the libraries under it do not support unloading).
std::optional<FluidApi> load_fluidsynth(std::string& why) {
  void* library = dlopen(kFluidSynthLibrary, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    why = std::string("the FluidSynth library (") + kFluidSynthLibrary +
          ", Debian's libfluidsynth3) cannot be loaded";
    return std::nullopt;
  }
  FluidApi api;
  bool complete = true;
#define FIZZLET_FLUID_LOAD(name)                                                 \
  api.name = reinterpret_cast<decltype(api.name)>(dlsym(library, #name)); \
  complete = complete && api.name != nullptr;
  FIZZLET_FLUID_FUNCTIONS(FIZZLET_FLUID_LOAD)
#undef FIZZLET_FLUID_LOAD
  if (!complete) {
    why = std::string(kFluidSynthLibrary) + " lacks functions of FluidSynth 2";
    return std::nullopt;
  }
  for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
    api.fluid_set_log_function(level, nullptr, nullptr);
  }
  if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD); alsa != nullptr) {
    if (auto set = reinterpret_cast<AlsaSetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
      set(&quiet_alsa);
    }
  }
  return api;
}

// While it lives, GLib's messages go nowhere: loading a SoundFont with a
// valid header and a corrupt body makes a library under FluidSynth print a
// GLib CRITICAL line beside the saver's own one-line reason.  GLib is there
// once FluidSynth is loaded; its default handler comes back at the end.
class QuietGlibLog {
 public:
  QuietGlibLog() {
    if (void* glib = dlopen("libglib-2.0.so.0", RTLD_NOW | RTLD_NOLOAD); glib != nullptr) {
      set_handler_ = reinterpret_cast<SetHandler>(dlsym(glib, "g_log_set_default_handler"));
      dlclose(glib);  // FluidSynth keeps it loaded
    }
    if (set_handler_ != nullptr) previous_ = set_handler_(&quiet, nullptr);
  }
  ~QuietGlibLog() {
    if (set_handler_ != nullptr) set_handler_(previous_, nullptr);
  }
  QuietGlibLog(const QuietGlibLog&) = delete;
  QuietGlibLog& operator=(const QuietGlibLog&) = delete;

 private:
  using Handler = void (*)(const char* domain, int level, const char* message, void* data);
  using SetHandler = Handler (*)(Handler handler, void* data);
  static void quiet(const char*, int, const char*, void*) {}

  SetHandler set_handler_ = nullptr;
  Handler previous_ = nullptr;
};

// The pieces' folder: the program's own (a build tree) or, relative to it,
// the installed data folder.
MusicFolder find_pieces(std::span<const std::string> pieces) {
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  const auto folders =
      music_folder_candidates(program.parent_path().string(), FIZZLET_MUSIC_RELATIVE);
  return find_music_folder(folders, pieces, [&](const std::string& path) {
    return std::filesystem::is_regular_file(path, error);
  });
}

}  // namespace

class Synthesizer {
  struct Key {
    explicit Key() = default;
  };

 public:
  // Null, with the reason in why, when the music cannot be had.
  static std::unique_ptr<Synthesizer> open(const std::string& soundfont_option, std::string& why);
  // For open() only (Key is private).
  Synthesizer(Key, const FluidApi& api) : api_(api) {}
  const FluidApi& api() const { return api_; }
  fluid_synth_t* synth() const { return synth_.get(); }

  // The output renders the synthesizer on a thread of its own.  A player may
  // be made or deleted only while the output is stopped (deleting one resets
  // its tracks while the audio thread may be reading them), so the output
  // stops around every change of piece; the file output starts its file again.
  void stop_output() { driver_.reset(); }
  bool start_output() {
    if (!driver_) driver_.reset(api_.new_fluid_audio_driver(settings_.get(), synth_.get()));
    return driver_ != nullptr;
  }

 private:
  FluidApi api_;
  std::unique_ptr<fluid_settings_t, decltype(FluidApi::delete_fluid_settings)> settings_{
      nullptr, api_.delete_fluid_settings};
  std::unique_ptr<fluid_synth_t, decltype(FluidApi::delete_fluid_synth)> synth_{
      nullptr, api_.delete_fluid_synth};
  // Declared last: the output stops before the synthesizer goes.
  std::unique_ptr<fluid_audio_driver_t, decltype(FluidApi::delete_fluid_audio_driver)> driver_{
      nullptr, api_.delete_fluid_audio_driver};
};

std::unique_ptr<Synthesizer> Synthesizer::open(const std::string& soundfont_option,
                                               std::string& why) {
  const std::optional<FluidApi> api = load_fluidsynth(why);
  if (!api) return nullptr;
  auto self = std::make_unique<Synthesizer>(Key{}, *api);
  const FluidApi& f = self->api_;
  self->settings_.reset(f.new_fluid_settings());
  fluid_settings_t* settings = self->settings_.get();
  if (settings == nullptr) {
    why = "FluidSynth cannot start";
    return nullptr;
  }

  char* fluid_default = nullptr;
  const bool has_default = f.fluid_settings_getstr_default(settings, "synth.default-soundfont",
                                                           &fluid_default) == FLUID_OK &&
                           fluid_default != nullptr;
  const auto candidates = soundfont_candidates(soundfont_option, has_default ? fluid_default : "");
  const SoundFontChoice choice =
      choose_soundfont(soundfont_option, candidates, [&](const std::string& candidate) {
        return f.fluid_is_soundfont(candidate.c_str()) != 0;
      });
  if (choice.file.empty()) {
    why = choice.why;
    return nullptr;
  }
  const std::string& soundfont = choice.file;

  f.fluid_settings_setint(settings, "audio.period-size", kPeriodFrames);
  f.fluid_settings_setnum(settings, "synth.gain", kGain);
  self->synth_.reset(f.new_fluid_synth(settings));
  const auto load = [&] {
    const QuietGlibLog quiet;
    return f.fluid_synth_sfload(self->synth_.get(), soundfont.c_str(), 1);
  };
  if (!self->synth_ || load() == FLUID_FAILED) {
    why = "cannot load the SoundFont " + soundfont;
    return nullptr;
  }

  if (const char* file = std::getenv(kAudioFileVariable); file != nullptr && *file != '\0') {
    f.fluid_settings_setstr(settings, "audio.driver", "file");
    f.fluid_settings_setstr(settings, "audio.file.name", file);
    self->driver_.reset(f.new_fluid_audio_driver(settings, self->synth_.get()));
    if (!self->driver_) why = std::string("cannot write the music to ") + file;
  } else {
    for (const char* driver : kAudioDrivers) {
      f.fluid_settings_setstr(settings, "audio.driver", driver);
      self->driver_.reset(f.new_fluid_audio_driver(settings, self->synth_.get()));
      if (self->driver_) break;
    }
    if (!self->driver_) why = "no sound device could be opened (tried PulseAudio and ALSA)";
  }
  if (!self->driver_) return nullptr;
  return self;
}

// One opened piece: a FluidSynth MIDI file player, made and deleted only
// while the output is stopped.  The player reads the file only once playing,
// on the audio thread; its clock starts (the first tick) once the file has
// been read, so a piece that ends before any tick did not parse.
struct FluidPlayer::Piece {
  Piece(const FluidApi& f, fluid_player_t* p) : api(f), player(p) {
    if (player != nullptr) api.fluid_player_set_tick_callback(player, &on_tick, this);
  }
  ~Piece() {
    if (player == nullptr) return;
    api.fluid_player_stop(player);
    api.delete_fluid_player(player);
  }
  Piece(const Piece&) = delete;
  Piece& operator=(const Piece&) = delete;

  static int on_tick(void* piece, int) {
    static_cast<Piece*>(piece)->started = true;
    return FLUID_OK;
  }

  const FluidApi& api;
  fluid_player_t* player;
  std::atomic<bool> started = false;
};

FluidPlayer::FluidPlayer() = default;

FluidPlayer::~FluidPlayer() { close(); }

void FluidPlayer::attach(std::unique_ptr<Synthesizer> synthesizer) {
  close();
  synthesizer_ = std::move(synthesizer);
}

void FluidPlayer::close() {
  if (!piece_) return;
  synthesizer_->stop_output();
  piece_.reset();
  // Nothing of the piece may sound on into the next one.
  synthesizer_->api().fluid_synth_all_sounds_off(synthesizer_->synth(), -1);
  synthesizer_->api().fluid_synth_system_reset(synthesizer_->synth());
}

bool FluidPlayer::open(const std::string& path) {
  close();
  if (!synthesizer_) return false;
  const FluidApi& f = synthesizer_->api();
  if (f.fluid_is_midifile(path.c_str()) == 0) return false;
  synthesizer_->stop_output();  // still running from the start, before the first piece
  auto piece = std::make_unique<Piece>(f, f.new_fluid_player(synthesizer_->synth()));
  if (piece->player == nullptr || f.fluid_player_add(piece->player, path.c_str()) != FLUID_OK) {
    return false;
  }
  piece_ = std::move(piece);
  return synthesizer_->start_output();
}

bool FluidPlayer::play() {
  return piece_ && piece_->api.fluid_player_play(piece_->player) == FLUID_OK;
}

PlayerMode FluidPlayer::mode() {
  if (!piece_) return PlayerMode::not_open;
  const bool ticked = piece_->started;
  switch (piece_->api.fluid_player_get_status(piece_->player)) {
    case FLUID_PLAYER_PLAYING:
      return piece_mode(PieceStatus::playing, ticked);
    case FLUID_PLAYER_DONE:
      return piece_mode(PieceStatus::done, ticked);
    default:
      return piece_mode(PieceStatus::other, ticked);
  }
}

SaverMusic::SaverMusic(std::string soundfont)
    : soundfont_(std::move(soundfont)), started_(player_, [](const std::string& why) {
        std::fprintf(stderr, "fizzlet: playing no music: %s\n", why.c_str());
      }) {}

SaverMusic::~SaverMusic() = default;

// The synthesizer goes to the player on the start's thread: nothing else
// touches the player before the start is done.
void SaverMusic::init_music(const Settings& settings) {
  started_.init_music(settings, find_pieces, [this, soundfont = soundfont_] {
    std::string why;
    auto synthesizer = Synthesizer::open(soundfont, why);
    if (synthesizer) player_.attach(std::move(synthesizer));
    return why;
  });
}

void SaverMusic::handle_music(const Settings& settings) { started_.handle_music(settings); }

void SaverMusic::music_off(const Settings& settings) { started_.music_off(settings); }

}  // namespace fizzlet::fluidsynth
