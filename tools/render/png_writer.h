#pragma once
// PNG and animated PNG (APNG) writing of 0x00RRGGBB pixel buffers with zlib.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace fizzlet::render {

// The PNG bytes of one width x height picture (8-bit RGB).
std::vector<std::uint8_t> encode_png(int width, int height, std::span<const std::uint32_t> pixels);

// Writes one picture; false (with the reason in error) when the file cannot be written.
bool write_png(const std::filesystem::path& path, int width, int height,
               std::span<const std::uint32_t> pixels, std::string& error);

// Streams the frames of an animated PNG to a file.  The frame count is
// written into the header when the file is finished.
class ApngWriter {
 public:
  // delay_ms: how long each frame shows; loops 0 = forever.
  ApngWriter(const std::filesystem::path& path, int width, int height, int delay_ms);
  bool ok() const { return ok_; }
  void add_frame(std::span<const std::uint32_t> pixels);
  // Completes the file; false when any write failed.
  bool finish();
  ~ApngWriter();

 private:
  void chunk(const char type[4], const std::vector<std::uint8_t>& data);

  std::ofstream out_;
  int width_;
  int height_;
  int delay_ms_;
  std::uint32_t frames_ = 0;
  std::uint32_t sequence_ = 0;
  std::streampos actl_at_ = 0;
  bool ok_ = false;
  bool finished_ = false;
};

}  // namespace fizzlet::render
