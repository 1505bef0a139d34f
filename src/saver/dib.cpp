#include "saver/dib.h"

#include <bit>
#include <iterator>

namespace fizzlet {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;

// Little-endian reads that never run past the end: out of range reads 0 and
// marks the reader as failed.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool has(std::size_t offset, std::size_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  std::uint32_t u8(std::size_t offset) const { return has(offset, 1) ? bytes_[offset] : 0u; }
  std::uint32_t u16(std::size_t offset) const { return u8(offset) | (u8(offset + 1) << 8); }
  std::uint32_t u32(std::size_t offset) const { return u16(offset) | (u16(offset + 2) << 16); }
  std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
  std::size_t size() const { return bytes_.size(); }
  const std::uint8_t* at(std::size_t offset) const { return bytes_.data() + offset; }

 private:
  std::span<const std::uint8_t> bytes_;
};

DibResult fail(std::string why) { return DibResult{std::nullopt, std::move(why)}; }

// A colour channel given by a bit mask, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    const std::uint32_t field = m >> shift;
    max = field;
  }
  std::uint32_t value(std::uint32_t raw) const {
    if (max == 0) return 0;
    const std::uint64_t v = (raw & mask) >> shift;
    return static_cast<std::uint32_t>((v * 255 + max / 2) / max);
  }
};

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: top-down rows
  std::uint32_t bits = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colours_used = 0;
  std::uint32_t masks[3] = {};
  std::size_t header_size = 0;
  std::size_t masks_size = 0;  // bit masks stored after a 40-byte header
  bool core = false;           // 12-byte header: 3-byte palette entries

  bool top_down() const { return height < 0; }
  std::int64_t rows() const { return top_down() ? -height : height; }
};

// Each step below reads one part of the bitmap into the header or the image
// and gives why it cannot, or nothing when the part is usable.
using Problem = std::string;

// The header's fields: picture size and bits per pixel, checked.
Problem read_header(const Reader& in, std::size_t info, Header& h) {
  h.header_size = in.u32(info);
  if (!in.has(info, 4) || h.header_size < kCoreHeaderSize || !in.has(info, h.header_size)) {
    return "truncated or unknown bitmap header";
  }
  if (h.header_size == kCoreHeaderSize) {
    h.core = true;
    h.width = in.u16(info + 4);
    h.height = in.u16(info + 6);
    h.bits = in.u16(info + 10);
  } else {
    if (h.header_size < kInfoHeaderSize) return "unknown bitmap header size";
    h.width = in.i32(info + 4);
    h.height = in.i32(info + 8);
    h.bits = in.u16(info + 14);
    h.compression = in.u32(info + 16);
    h.colours_used = in.u32(info + 32);
  }
  if (h.width <= 0 || h.height == 0) return "empty or negative picture size";
  if (h.width * h.rows() > kMaxDibPixels) return "picture too large";
  if (h.top_down() && h.core) return "negative height in an old-style header";

  switch (h.bits) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return "unsupported bits per pixel: " + std::to_string(h.bits);
  }
  return {};
}

// The colour masks of 16 and 32 bits per pixel: stored after the header
// (bit fields) or the usual ones.
Problem read_masks(const Reader& in, std::size_t info, Header& h) {
  if (h.compression == kBiBitfields) {
    if (h.bits != 16 && h.bits != 32) return "bit fields need 16 or 32 bits per pixel";
    std::size_t at = info + h.header_size;
    if (h.header_size >= 52) {
      at = info + kInfoHeaderSize;
    } else {
      h.masks_size = 12;
    }
    if (!in.has(at, 12)) return "truncated colour masks";
    for (int i = 0; i < 3; ++i) h.masks[i] = in.u32(at + 4 * std::size_t(i));
  } else if (h.compression != kBiRgb) {
    return "compressed bitmaps are not supported";
  } else if (h.bits == 16) {
    h.masks[0] = 0x7C00;
    h.masks[1] = 0x03E0;
    h.masks[2] = 0x001F;
  } else if (h.bits == 32) {
    h.masks[0] = 0x00FF0000;
    h.masks[1] = 0x0000FF00;
    h.masks[2] = 0x000000FF;
  }
  return {};
}

// Where the palette is and how many entries of what size it has.
struct PaletteSpan {
  std::size_t at = 0;
  std::size_t entries = 0;
  std::size_t entry_size = 0;
  std::size_t end() const { return at + entries * entry_size; }
};

// The palette: the colours of pictures of 8 bits or fewer; any palette stored
// before deeper pixels is only stepped over.
Problem read_palette(const Reader& in, std::size_t info, const Header& h, PaletteSpan& palette,
                     DibImage& image) {
  palette.at = info + h.header_size + h.masks_size;
  if (h.bits <= 8) {
    const std::size_t full = std::size_t{1} << h.bits;
    palette.entries = h.colours_used == 0 ? full : h.colours_used;
    if (palette.entries > 256) return "palette larger than 256 entries";
  } else if (h.colours_used <= 256) {
    palette.entries = h.colours_used;
  } else {
    return "palette larger than 256 entries";
  }
  palette.entry_size = h.core ? 3 : 4;
  if (!in.has(palette.at, palette.entries * palette.entry_size)) return "truncated palette";
  if (h.bits <= 8) {
    image.palette.reserve(palette.entries);
    for (std::size_t i = 0; i < palette.entries; ++i) {
      const std::size_t e = palette.at + i * palette.entry_size;
      image.palette.push_back((in.u8(e + 2) << 16) | (in.u8(e + 1) << 8) | in.u8(e));
    }
  }
  return {};
}

struct Channels {
  Channel red, green, blue;
  explicit Channels(const Header& h) : red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]) {}
  std::uint32_t colour(std::uint32_t raw) const {
    return (red.value(raw) << 16) | (green.value(raw) << 8) | blue.value(raw);
  }
};

// One stored row into the image's top-down row y: colours, and the palette
// indices of pictures of 8 bits or fewer.
void read_row(const std::uint8_t* row, std::size_t y, const Header& h, const Channels& channels,
              DibImage& image) {
  const std::size_t width = std::size_t(h.width);
  std::uint32_t* out = image.pixels.data() + y * width;
  for (std::size_t x = 0; x < width; ++x) {
    switch (h.bits) {
      case 1:
      case 4:
      case 8: {
        const std::size_t bit = x * h.bits;
        const unsigned shift = 8 - h.bits - static_cast<unsigned>(bit % 8);
        const auto index =
            static_cast<std::uint8_t>((row[bit / 8] >> shift) & ((1u << h.bits) - 1));
        image.indices[y * width + x] = index;
        out[x] = index < image.palette.size() ? image.palette[index] : 0u;
        break;
      }
      case 16:
        out[x] = channels.colour(row[2 * x] | (std::uint32_t{row[2 * x + 1]} << 8));
        break;
      case 24:
        out[x] = (std::uint32_t{row[3 * x + 2]} << 16) | (std::uint32_t{row[3 * x + 1]} << 8) |
                 row[3 * x];
        break;
      case 32:
        out[x] = channels.colour(row[4 * x] | (std::uint32_t{row[4 * x + 1]} << 8) |
                                 (std::uint32_t{row[4 * x + 2]} << 16) |
                                 (std::uint32_t{row[4 * x + 3]} << 24));
        break;
      default:
        break;
    }
  }
}

// The pixels, rows padded to four bytes, into top-down rows.
Problem read_pixels(const Reader& in, std::size_t pixels_at, const Header& h, DibImage& image) {
  const std::size_t stride = ((std::size_t(h.width) * h.bits + 31) / 32) * 4;
  const std::size_t rows = static_cast<std::size_t>(h.rows());
  if (!in.has(pixels_at, stride * rows)) return "truncated pixel data";

  const std::size_t count = std::size_t(h.width) * rows;
  image.pixels.resize(count);
  if (h.bits <= 8) image.indices.resize(count);
  const Channels channels(h);
  for (std::size_t y = 0; y < rows; ++y) {
    const std::size_t stored_row = h.top_down() ? y : rows - 1 - y;
    read_row(in.at(pixels_at + stored_row * stride), y, h, channels, image);
  }
  return {};
}

DibResult decode(const Reader& in, std::size_t info, std::optional<std::size_t> bits_offset) {
  Header h;
  if (Problem why = read_header(in, info, h); !why.empty()) return fail(std::move(why));
  if (Problem why = read_masks(in, info, h); !why.empty()) return fail(std::move(why));

  DibImage image;
  image.width = static_cast<int>(h.width);
  image.height = static_cast<int>(h.rows());
  image.bits_per_pixel = static_cast<int>(h.bits);
  image.top_down = h.top_down();

  PaletteSpan palette;
  if (Problem why = read_palette(in, info, h, palette, image); !why.empty()) {
    return fail(std::move(why));
  }
  const std::size_t pixels_at = bits_offset.value_or(palette.end());
  if (Problem why = read_pixels(in, pixels_at, h, image); !why.empty()) {
    return fail(std::move(why));
  }
  return DibResult{std::move(image), {}};
}

}  // namespace

DibResult decode_bmp(std::span<const std::uint8_t> bytes) {
  const Reader in(bytes);
  if (!in.has(0, kFileHeaderSize) || in.u8(0) != 'B' || in.u8(1) != 'M') {
    return fail("not a BMP file");
  }
  const std::size_t bits_offset = in.u32(10);
  if (bits_offset < kFileHeaderSize + kCoreHeaderSize || bits_offset > bytes.size()) {
    return fail("pixel data offset outside the file");
  }
  return decode(in, kFileHeaderSize, bits_offset);
}

DibResult decode_packed_dib(std::span<const std::uint8_t> bytes) {
  return decode(Reader(bytes), 0, std::nullopt);
}

}  // namespace fizzlet
