// Reading a BMP from a file, apart from the decoders: the stream library it
// needs would otherwise come with them into every program that decodes
// pictures it already holds in memory (the Windows saver's resources), some
// 600 KB of code for nothing.
#include <fstream>
#include <iterator>

#include "saver/dib.h"

namespace fizzlet {

DibResult load_bmp_file(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return DibResult{std::nullopt, "cannot open " + path.string()};
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
  if (file.bad()) return DibResult{std::nullopt, "cannot read " + path.string()};
  return decode_bmp(bytes);
}

}  // namespace fizzlet
