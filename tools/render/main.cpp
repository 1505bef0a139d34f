// fizzlet-render: runs the animation without a window and writes what the
// screen shows.  The screen is a persistent buffer that receives only what a
// monitor would receive from the saver window (the rectangles the present
// step copies, and the window's full repaints), so a trail, a gap or a
// flicker fault shows in the output exactly as it would on a monitor.
//
//   fizzlet-render --width 640 --height 480 --kernels 36 --pop-chance 10
//                  --seed 1 --frames 200 --png out/ --apng out/run.png

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "png_writer.h"
#include "saver/animation.h"
#include "saver/compositor.h"

namespace {

constexpr const char* kUsage = R"(usage: fizzlet-render [options]
  --width N        screen width in pixels (default 640)
  --height N       screen height in pixels (default 480)
  --kernels N      number of kernels, 1..100 (default 36)
  --pop-chance N   popping threshold, 1..50 (default 10)
  --seed N         random seed (default 1)
  --frames N       frames to run (default 100)
  --depth BITS     display bits per pixel: 8 draws through the mask, more
                   draws additively (default 32)
  --from N         first frame to write (default 1)
  --every N        write every N-th frame from --from on (default 1)
  --png DIR        write each written frame as DIR/frame_NNNNN.png
  --apng FILE      write the written frames as one animated PNG (30 ms a frame)
  --hash           print a hash of the screen for each written frame
  --resources DIR  folder holding sprite.bmp and mask.bmp
  --help           this text
)";

struct Options {
  int width = 640;
  int height = 480;
  int kernels = 36;
  int pop_chance = 10;
  std::uint64_t seed = 1;
  int frames = 100;
  int depth = 32;
  int from = 1;
  int every = 1;
  std::optional<std::filesystem::path> png_dir;
  std::optional<std::filesystem::path> apng_file;
  bool hash = false;
  std::filesystem::path resources = FIZZLET_RESOURCES_DIR;
};

template <typename T>
bool parse_number(std::string_view text, T& value, T low, T high) {
  T parsed{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec != std::errc{} || end != text.data() + text.size() || parsed < low || parsed > high) {
    return false;
  }
  value = parsed;
  return true;
}

// Returns an error message, or nothing when the options are good.
std::optional<std::string> parse(int argc, char** argv, Options& o, bool& help) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "--help" || a == "-h") {
      help = true;
      return std::nullopt;
    }
    if (a == "--hash") {
      o.hash = true;
      continue;
    }
    if (i + 1 >= args.size()) return "missing value after " + std::string(a);
    const std::string_view v = args[++i];
    bool good = true;
    if (a == "--width") {
      good = parse_number(v, o.width, 32, 16384);
    } else if (a == "--height") {
      good = parse_number(v, o.height, 64, 16384);
    } else if (a == "--kernels") {
      good = parse_number(v, o.kernels, 1, 100);
    } else if (a == "--pop-chance") {
      good = parse_number(v, o.pop_chance, 1, 50);
    } else if (a == "--seed") {
      good = parse_number<std::uint64_t>(v, o.seed, 0, UINT64_MAX);
    } else if (a == "--frames") {
      good = parse_number(v, o.frames, 1, 10'000'000);
    } else if (a == "--depth") {
      good = parse_number(v, o.depth, 1, 32);
    } else if (a == "--from") {
      good = parse_number(v, o.from, 1, 10'000'000);
    } else if (a == "--every") {
      good = parse_number(v, o.every, 1, 10'000'000);
    } else if (a == "--png") {
      o.png_dir = std::filesystem::path(v);
    } else if (a == "--apng") {
      o.apng_file = std::filesystem::path(v);
    } else if (a == "--resources") {
      o.resources = std::filesystem::path(v);
    } else {
      return "unknown option " + std::string(a);
    }
    if (!good) return "bad value for " + std::string(a) + ": " + std::string(v);
  }
  return std::nullopt;
}

std::uint64_t fnv1a(std::span<const std::uint32_t> pixels) {
  std::uint64_t h = 0xCBF29CE484222325ULL;
  for (std::uint32_t p : pixels) {
    for (int b = 0; b < 4; ++b) {
      h ^= (p >> (8 * b)) & 0xFF;
      h *= 0x100000001B3ULL;
    }
  }
  return h;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  bool help = false;
  if (const auto error = parse(argc, argv, o, help)) {
    std::fprintf(stderr, "fizzlet-render: %s\n%s", error->c_str(), kUsage);
    return 2;
  }
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  const fizzlet::DibResult sprite = fizzlet::load_bmp_file(o.resources / "sprite.bmp");
  const fizzlet::DibResult mask = fizzlet::load_bmp_file(o.resources / "mask.bmp");
  if (!sprite || !mask) {
    std::fprintf(stderr, "fizzlet-render: cannot load the sprite sheet from %s: %s\n",
                 o.resources.string().c_str(), (!sprite ? sprite.error : mask.error).c_str());
    return 1;
  }
  if (o.png_dir) {
    std::error_code ec;
    std::filesystem::create_directories(*o.png_dir, ec);
    if (ec) {
      std::fprintf(stderr, "fizzlet-render: cannot create %s\n", o.png_dir->string().c_str());
      return 1;
    }
  }

  fizzlet::HeadlessSaver saver(o.width, o.height, *sprite.image, *mask.image);
  saver.start(fizzlet::MotionSettings{o.kernels, o.pop_chance, o.width, o.height},
              fizzlet::get_numberofcolors(o.depth, 1), o.seed);
  std::optional<fizzlet::render::ApngWriter> apng;
  if (o.apng_file) {
    apng.emplace(*o.apng_file, o.width, o.height, 30);
    if (!apng->ok()) {
      std::fprintf(stderr, "fizzlet-render: cannot write %s\n", o.apng_file->string().c_str());
      return 1;
    }
  }

  int written = 0;
  for (int frame = 1; frame <= o.frames; ++frame) {
    saver.step();
    if (frame < o.from || (frame - o.from) % o.every != 0) continue;
    const auto pixels = saver.screen().pixels();
    if (o.hash) {
      std::printf("frame %d %016llx\n", frame, static_cast<unsigned long long>(fnv1a(pixels)));
    }
    if (o.png_dir) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%05d.png", frame);
      std::string error;
      if (!fizzlet::render::write_png(*o.png_dir / name, o.width, o.height, pixels, error)) {
        std::fprintf(stderr, "fizzlet-render: %s\n", error.c_str());
        return 1;
      }
    }
    if (apng) apng->add_frame(pixels);
    ++written;
  }
  if (apng && !apng->finish()) {
    std::fprintf(stderr, "fizzlet-render: cannot write %s\n", o.apng_file->string().c_str());
    return 1;
  }

  const fizzlet::Sprites& s = saver.animation().sprites();
  int rolling = 0, hopping = 0, flying = 0;
  for (int slot = 1; slot <= fizzlet::kMaxSlots; ++slot) {
    rolling += s.sprite_state[slot] == fizzlet::kStateRolling;
    hopping += s.sprite_state[slot] == fizzlet::kStateHopping;
    flying += s.sprite_state[slot] == fizzlet::kStatePopped;
  }
  std::fprintf(stderr,
               "fizzlet-render: %d frames at %dx%d, %d written; after the last: %d rolling, "
               "%d hopping, %d pieces flying\n",
               o.frames, o.width, o.height, written, rolling, hopping, flying);
  return 0;
}
