#include "saver/posix/shared_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <utility>

namespace fizzlet::posix {

SharedMemory::SharedMemory(std::size_t size) : fd_(memfd_create("fizzlet", MFD_CLOEXEC)) {
  if (fd_ < 0 || ftruncate(fd_, static_cast<off_t>(size)) != 0) return;
  void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (address == MAP_FAILED) return;
  address_ = address;
  size_ = size;
}

SharedMemory::SharedMemory(SharedMemory&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      address_(std::exchange(other.address_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
    address_ = std::exchange(other.address_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

SharedMemory::~SharedMemory() { release(); }

void SharedMemory::release() {
  if (address_ != nullptr) munmap(address_, size_);
  if (fd_ >= 0) close(fd_);
  address_ = nullptr;
  fd_ = -1;
  size_ = 0;
}

}  // namespace fizzlet::posix
