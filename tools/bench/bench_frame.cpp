// One whole frame of the animation (erase, move, draw, present to a screen
// buffer) on software surfaces, with 100 kernels and pop chance 50; and
// the same frame cold (BM_FrameCold), after other work as in the running
// saver, whose frames come 30 ms apart.  BM_Frame copies each presented
// rectangle into a screen buffer of its own, as a screen that copies out
// does; BM_FrameInPlace composes right in the screen's memory and only
// notes the rectangles to present (merged), as the X11 host does with its
// shared image.  BM_FrameShown sets the native hosts' ways of showing a frame
// side by side, warm and cold: the X11 host's one image, and the Wayland
// host's two buffers, with a compositor that holds the buffer it shows
// until the next one (each frame then composed in memory last written two
// frames before) and with one that copies it at once.
//
//   build/<dir>/bin/fizzlet-bench --benchmark_repetitions=10
//                                 --benchmark_report_aggregates_only=true
//
// The frame budget of the saver is 30 ms; the target for the composing work
// is a median of at most 150 microseconds at 1920 x 1080.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "saver/animation.h"
#include "saver/buffered_screen.h"
#include "saver/compositor.h"
#include "saver/surface.h"

namespace {

struct Sheets {
  fizzlet::DibResult sprite = fizzlet::load_bmp_file(FIZZLET_RESOURCES_DIR "/sprite.bmp");
  fizzlet::DibResult mask = fizzlet::load_bmp_file(FIZZLET_RESOURCES_DIR "/mask.bmp");
};

const Sheets& sheets() {
  static const Sheets loaded;
  if (!loaded.sprite || !loaded.mask) {
    std::fprintf(stderr, "cannot load the sprite sheet from %s\n", FIZZLET_RESOURCES_DIR);
    std::exit(1);
  }
  return loaded;
}

// A saver on a state.range(0) x state.range(1) screen of state.range(2)
// display bits, settled into the steady state: every slot has entered,
// pieces fly.
std::unique_ptr<fizzlet::HeadlessSaver> settled_saver(const benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  auto saver = std::make_unique<fizzlet::HeadlessSaver>(width, height, *sheets().sprite.image,
                                                        *sheets().mask.image);
  saver->start(fizzlet::MotionSettings{100, 50, width, height},
               fizzlet::get_numberofcolors(static_cast<int>(state.range(2)), 1), 2024);
  for (int i = 0; i < 300; ++i) saver->step();
  return saver;
}

void count_kernels(benchmark::State& state, const fizzlet::HeadlessSaver& saver) {
  int in_play = 0;
  for (int slot = 1; slot <= fizzlet::kMaxSlots; ++slot) {
    in_play += saver.animation().sprites().sprite_state[slot] != fizzlet::kStateOff;
  }
  state.counters["kernels_in_play"] = in_play;
}

void BM_Frame(benchmark::State& state) {
  const auto saver = settled_saver(state);
  for (auto _ : state) {
    saver->step();
    benchmark::DoNotOptimize(saver->screen().pixels().data());
  }
  count_kernels(state, *saver);
}

// The same frame as the running saver meets it, 30 ms after the last one:
// other work has filled the caches and the address translations in
// between (not timed).
class OtherWork {
 public:
  void run(benchmark::State& state) {
    state.PauseTiming();
    for (std::size_t i = 0; i < memory_.size(); i += 64) memory_[i] += 1;
    benchmark::DoNotOptimize(memory_.data());
    state.ResumeTiming();
  }

 private:
  std::vector<unsigned char> memory_ = std::vector<unsigned char>(std::size_t{64} << 20);
};

void BM_FrameCold(benchmark::State& state) {
  const auto saver = settled_saver(state);
  OtherWork other;
  for (auto _ : state) {
    other.run(state);
    saver->step();
    benchmark::DoNotOptimize(saver->screen().pixels().data());
  }
  count_kernels(state, *saver);
}

// A screen whose memory is the work surface's: presenting a rectangle is
// noting it for the window system to read.
class InPlaceScreen final : public fizzlet::Surface {
 public:
  InPlaceScreen(int width, int height) : width_(width), height_(height) {}
  int width() const override { return width_; }
  int height() const override { return height_; }
  void bit_blt(int x, int y, int w, int h, const fizzlet::Surface&, int, int,
               fizzlet::RasterOp) override {
    if (w > 0 && h > 0) noted_.push_back({x, y, w, h});
  }
  void next_frame() { noted_.clear(); }
  // The frame's rectangles as the X11 host sends them: fewer, merged.
  std::size_t merge_noted() { return fizzlet::merge_touching(noted_); }

 private:
  int width_;
  int height_;
  std::vector<fizzlet::PixelRect> noted_;
};

// How a frame reaches the screen.
enum Shown : std::int64_t { kOneImage, kBuffersHeld, kBuffersCopied };

// The saver's scene over a width x height screen of the given display
// bits, shown one way, settled into the steady state.
class ShownFrames {
 public:
  ShownFrames(int width, int height, int bits, Shown shown)
      : areas_{{0, 0, width, height}},
        background_(width, height),
        memory_(fizzlet::BufferedScreen::memory_pixels(width, height)),
        buffers_(width, height, areas_, memory_),
        image_(width, height),
        shown_(shown),
        work_(shown == kOneImage ? std::make_unique<fizzlet::SoftwareSurface>(
                                       fizzlet::SoftwareSurface::over(memory_, width, height, 0u))
                                 : buffers_.work_surface()) {
    scene_.set_up(areas_, fizzlet::MotionSettings{100, 50, width, height},
                  fizzlet::get_numberofcolors(bits, 1), 2024);
    for (int i = 0; i < 300; ++i) frame();
  }

  void frame() {
    if (shown_ == kOneImage) {
      image_.next_frame();
      scene_.frame({background_, *work_, sprite_, mask_, image_});
      benchmark::DoNotOptimize(image_.merge_noted());
      return;
    }
    buffers_.begin_frame();
    scene_.frame({background_, *work_, sprite_, mask_, buffers_});
    if (const std::optional<std::size_t> to_show = buffers_.frame_to_show()) {
      benchmark::DoNotOptimize(buffers_.take_damage(0));
      // Showing one buffer gives back the other; a compositor that copies
      // gives back both.
      buffers_.reading(0)[1 - *to_show] = false;
      if (shown_ == kBuffersCopied) buffers_.reading(0)[*to_show] = false;
    }
    benchmark::DoNotOptimize(memory_.data());
  }

 private:
  std::vector<fizzlet::PixelRect> areas_;
  fizzlet::SoftwareSurface sprite_ = fizzlet::SoftwareSurface::from_image(*sheets().sprite.image);
  fizzlet::SoftwareSurface mask_ = fizzlet::SoftwareSurface::from_image(*sheets().mask.image);
  fizzlet::SoftwareSurface background_;
  std::vector<std::uint32_t> memory_;
  fizzlet::BufferedScreen buffers_;
  InPlaceScreen image_;
  Shown shown_;
  std::unique_ptr<fizzlet::SoftwareSurface> work_;
  fizzlet::SaverScene scene_;
};

void BM_FrameInPlace(benchmark::State& state) {
  ShownFrames frames(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                     static_cast<int>(state.range(2)), kOneImage);
  for (auto _ : state) frames.frame();
}

// state.range(2): whether cold; state.range(3): a Shown.
void BM_FrameShown(benchmark::State& state) {
  ShownFrames frames(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 32,
                     static_cast<Shown>(state.range(3)));
  std::optional<OtherWork> other;
  if (state.range(2) != 0) other.emplace();
  for (auto _ : state) {
    if (other) other->run(state);
    frames.frame();
  }
}

// On a shared machine the fastest repetition is the one least disturbed by
// others; report it beside the median.
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Every frame benchmark's figures: microseconds, the median and the fastest.
void frame_figures(benchmark::internal::Benchmark* b) {
  b->ComputeStatistics("min", fastest)->Unit(benchmark::kMicrosecond);
}

// 1080p and 4K, each in both colour modes.
void screen_sizes(benchmark::internal::Benchmark* b) {
  frame_figures(b);
  b->ArgNames({"w", "h", "bits"});
  b->Args({1920, 1080, 32})->Args({1920, 1080, 8})->Args({3840, 2160, 32})->Args({3840, 2160, 8});
}

BENCHMARK(BM_Frame)->Apply(screen_sizes);
BENCHMARK(BM_FrameInPlace)->Apply(screen_sizes);
BENCHMARK(BM_FrameCold)
    ->Apply(frame_figures)
    ->ArgNames({"w", "h", "bits"})
    ->Args({1920, 1080, 32})
    ->Iterations(100);
// (Cold, a fixed count: each frame waits for 64 MB of other work.)
void shown_ways(benchmark::internal::Benchmark* b, bool cold) {
  frame_figures(b);
  b->ArgNames({"w", "h", "cold", "shown"})
      ->ArgsProduct({{1920}, {1080}, {cold}, {kOneImage, kBuffersHeld, kBuffersCopied}});
  if (cold) b->Iterations(100);
}
BENCHMARK(BM_FrameShown)->Apply([](auto* b) { shown_ways(b, false); });
BENCHMARK(BM_FrameShown)->Apply([](auto* b) { shown_ways(b, true); });

}  // namespace

BENCHMARK_MAIN();
