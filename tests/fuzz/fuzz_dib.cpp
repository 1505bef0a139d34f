// Feeds arbitrary bytes to the BMP reader, as a file and as a packed DIB, and
// draws every decoded picture through a software surface.
#include <cstddef>
#include <cstdint>
#include <span>

#include "saver/dib.h"
#include "saver/software_surface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  for (const fizzlet::DibResult& r : {fizzlet::decode_bmp(bytes), fizzlet::decode_packed_dib(bytes)}) {
    if (!r) continue;
    const fizzlet::SoftwareSurface picture = fizzlet::SoftwareSurface::from_image(*r.image);
    fizzlet::SoftwareSurface target(64, 64);
    target.bit_blt(-3, -3, 70, 70, picture, 1, 1, fizzlet::RasterOp::src_paint);
  }
  return 0;
}
