#pragma once
// Reading Windows device-independent bitmaps (.bmp files and packed DIBs as
// stored in resources): 1, 4, 8, 16, 24 and 32 bits per pixel, bottom-up and
// top-down, with palette.  Malformed input never crashes: it gives an error.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace fizzlet {

struct DibImage {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 0;
  bool top_down = false;               // how the rows were stored
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB per entry (up to 256)
  // One palette index per pixel, top-down rows (pictures of 8 bits or fewer).
  std::vector<std::uint8_t> indices;
  // The colour of every pixel, 0x00RRGGBB, top-down rows (indices outside the
  // palette read as black).
  std::vector<std::uint32_t> pixels;

  std::uint32_t pixel(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
  std::uint8_t index(int x, int y) const { return indices[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

struct DibResult {
  std::optional<DibImage> image;
  std::string error;  // why there is no image
  explicit operator bool() const { return image.has_value(); }
};

// Pictures larger than this many pixels are refused.
inline constexpr std::int64_t kMaxDibPixels = std::int64_t{1} << 26;

// A whole .bmp file: "BM" file header, info header, palette, pixels.
DibResult decode_bmp(std::span<const std::uint8_t> bytes);
// A packed DIB: info header, palette, pixels (no file header).
DibResult decode_packed_dib(std::span<const std::uint8_t> bytes);
DibResult load_bmp_file(const std::filesystem::path& path);

}  // namespace fizzlet
