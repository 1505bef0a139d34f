#pragma once
// The native saver's music (any Linux host: X11, Wayland): the portable
// sequencing of the ten pieces (Music) over a FluidSynth player that renders
// them with a General MIDI SoundFont through the desktop's sound server
// (PulseAudio, which PipeWire also serves, else ALSA).
//
// The saver session drives it (all on its one thread):
//   init_music(settings)    random start; with music on, finds the pieces
//                           (beside the program, or where it is installed)
//                           and starts the synthesizer in the background
//   handle_music(settings)  each frame: status update, next piece
//   music_off(settings)     when the window unloads
//
// Loading FluidSynth and a SoundFont and opening a sound device take from a
// tenth of a second to several, so they happen on a thread of their own while
// the animation starts (the core's StartedMusic, which also decides when the
// music goes silent and says why once on standard error: no pieces, no
// FluidSynth, no SoundFont, no sound device, or none of the pieces can be
// played).  FluidSynth is loaded then (dlopen), not linked: the program
// starts faster and runs without it.

#include <memory>
#include <string>

#include "music/music.h"
#include "music/started_music.h"
#include "settings/settings.h"

namespace fizzlet::fluidsynth {

// Set to a file name (.wav), the music is written to that file instead of a
// sound device (in real time, as it would play).
inline constexpr char kAudioFileVariable[] = "FIZZLET_AUDIO_FILE";

// FluidSynth's settings, synthesizer and audio output, with the SoundFont
// loaded.  Usable from any thread.
class Synthesizer;

// One piece at a time on the synthesizer (once it is there).
class FluidPlayer final : public MusicPlayer {
 public:
  FluidPlayer();
  ~FluidPlayer() override;
  FluidPlayer(const FluidPlayer&) = delete;
  FluidPlayer& operator=(const FluidPlayer&) = delete;

  void attach(std::unique_ptr<Synthesizer> synthesizer);
  void close() override;
  bool open(const std::string& path) override;
  bool play() override;
  PlayerMode mode() override;

 private:
  struct Piece;
  std::unique_ptr<Synthesizer> synthesizer_;
  std::unique_ptr<Piece> piece_;
};

class SaverMusic final : public SaverMusicControl {
 public:
  // soundfont: the -soundfont option, or empty for the standard places.
  explicit SaverMusic(std::string soundfont);
  ~SaverMusic() override;
  SaverMusic(const SaverMusic&) = delete;
  SaverMusic& operator=(const SaverMusic&) = delete;

  void init_music(const Settings& settings) override;
  void handle_music(const Settings& settings) override;
  void music_off(const Settings& settings) override;
  const Music& music() const { return started_.music(); }

 private:
  std::string soundfont_;
  FluidPlayer player_;
  // Declared after the player: a start under way ends before the player goes.
  StartedMusic started_;
};

}  // namespace fizzlet::fluidsynth
