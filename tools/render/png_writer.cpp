#include "png_writer.h"

#include <zlib.h>

#include <array>

namespace fizzlet::render {

namespace {

void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(std::uint8_t(v >> 24));
  b.push_back(std::uint8_t(v >> 16));
  b.push_back(std::uint8_t(v >> 8));
  b.push_back(std::uint8_t(v));
}

void put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(std::uint8_t(v >> 8));
  b.push_back(std::uint8_t(v));
}

void append_chunk(std::vector<std::uint8_t>& out, const char type[4],
                  const std::vector<std::uint8_t>& data) {
  put32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t type_at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0, out.data() + type_at, static_cast<uInt>(4 + data.size()));
  put32(out, static_cast<std::uint32_t>(crc));
}

std::vector<std::uint8_t> header(int width, int height) {
  std::vector<std::uint8_t> ihdr;
  put32(ihdr, static_cast<std::uint32_t>(width));
  put32(ihdr, static_cast<std::uint32_t>(height));
  ihdr.push_back(8);  // bits per channel
  ihdr.push_back(2);  // colour type: RGB
  ihdr.push_back(0);  // deflate
  ihdr.push_back(0);  // adaptive filtering
  ihdr.push_back(0);  // no interlace
  return ihdr;
}

// Filtered scan lines (the "Sub" filter suits large single-colour areas),
// deflated.
std::vector<std::uint8_t> image_data(int width, int height, std::span<const std::uint32_t> pixels) {
  const std::size_t w = std::size_t(width);
  std::vector<std::uint8_t> raw;
  raw.reserve((w * 3 + 1) * std::size_t(height));
  for (std::size_t y = 0; y < std::size_t(height); ++y) {
    raw.push_back(1);
    std::array<std::uint8_t, 3> left = {0, 0, 0};
    for (std::size_t x = 0; x < w; ++x) {
      const std::uint32_t p = pixels[y * w + x];
      const std::array<std::uint8_t, 3> rgb = {std::uint8_t(p >> 16), std::uint8_t(p >> 8),
                                               std::uint8_t(p)};
      for (int c = 0; c < 3; ++c) raw.push_back(std::uint8_t(rgb[std::size_t(c)] - left[std::size_t(c)]));
      left = rgb;
    }
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(size);
  if (compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) {
    return {};
  }
  packed.resize(size);
  return packed;
}

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

std::vector<std::uint8_t> encode_png(int width, int height, std::span<const std::uint32_t> pixels) {
  std::vector<std::uint8_t> out(kSignature.begin(), kSignature.end());
  append_chunk(out, "IHDR", header(width, height));
  append_chunk(out, "IDAT", image_data(width, height, pixels));
  append_chunk(out, "IEND", {});
  return out;
}

bool write_png(const std::filesystem::path& path, int width, int height,
               std::span<const std::uint32_t> pixels, std::string& error) {
  const std::vector<std::uint8_t> bytes = encode_png(width, height, pixels);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  out.close();
  if (!out) {
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

ApngWriter::ApngWriter(const std::filesystem::path& path, int width, int height, int delay_ms)
    : out_(path, std::ios::binary), width_(width), height_(height), delay_ms_(delay_ms) {
  if (!out_) return;
  out_.write(reinterpret_cast<const char*>(kSignature.data()), kSignature.size());
  chunk("IHDR", header(width, height));
  actl_at_ = out_.tellp();
  std::vector<std::uint8_t> actl;
  put32(actl, 0);  // frame count, filled in by finish()
  put32(actl, 0);  // loop forever
  chunk("acTL", actl);
  ok_ = static_cast<bool>(out_);
}

void ApngWriter::chunk(const char type[4], const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> bytes;
  append_chunk(bytes, type, data);
  out_.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void ApngWriter::add_frame(std::span<const std::uint32_t> pixels) {
  if (!ok_ || finished_) return;
  std::vector<std::uint8_t> fctl;
  put32(fctl, sequence_++);
  put32(fctl, static_cast<std::uint32_t>(width_));
  put32(fctl, static_cast<std::uint32_t>(height_));
  put32(fctl, 0);  // x offset
  put32(fctl, 0);  // y offset
  put16(fctl, static_cast<std::uint32_t>(delay_ms_));
  put16(fctl, 1000);  // delay in milliseconds
  fctl.push_back(0);  // dispose: none
  fctl.push_back(0);  // blend: source
  chunk("fcTL", fctl);
  const std::vector<std::uint8_t> data = image_data(width_, height_, pixels);
  if (frames_ == 0) {
    chunk("IDAT", data);
  } else {
    std::vector<std::uint8_t> fdat;
    put32(fdat, sequence_++);
    fdat.insert(fdat.end(), data.begin(), data.end());
    chunk("fdAT", fdat);
  }
  ++frames_;
  ok_ = static_cast<bool>(out_);
}

bool ApngWriter::finish() {
  if (finished_) return ok_;
  finished_ = true;
  if (!ok_) return false;
  chunk("IEND", {});
  // Now that the count is known, rewrite the animation control chunk.
  out_.seekp(actl_at_);
  std::vector<std::uint8_t> actl;
  put32(actl, frames_);
  put32(actl, 0);
  chunk("acTL", actl);
  out_.close();
  ok_ = static_cast<bool>(out_) && frames_ > 0;
  return ok_;
}

ApngWriter::~ApngWriter() { finish(); }

}  // namespace fizzlet::render
