#pragma once
// Memory that another process maps too: a file that lives in memory only
// (memfd), mapped here, for a window system that reads the program's
// pixels from it (the Wayland compositor's shared-memory buffers).

#include <cstddef>
#include <cstdint>
#include <span>

namespace fizzlet::posix {

class SharedMemory {
 public:
  SharedMemory() = default;
  // size bytes of zeroes; an empty one (false) when they cannot be had.
  explicit SharedMemory(std::size_t size);
  SharedMemory(SharedMemory&& other) noexcept;
  SharedMemory& operator=(SharedMemory&& other) noexcept;
  ~SharedMemory();

  explicit operator bool() const { return address_ != nullptr; }
  // The file, to hand to the other process.
  int fd() const { return fd_; }
  std::size_t size() const { return size_; }
  // count 32-bit pixels from the offset-th one.
  std::span<std::uint32_t> pixels(std::size_t offset, std::size_t count) const {
    return {static_cast<std::uint32_t*>(address_) + offset, count};
  }

 private:
  void release();

  int fd_ = -1;
  void* address_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace fizzlet::posix
