#include "saver/frame_log.h"

#include <chrono>
#include <cstdlib>

namespace fizzlet {
namespace {

// Buffered and written out every so many frames (about twice a second), so
// that measuring costs the saver next to nothing.
constexpr std::uint64_t kFlushFrames = 16;
constexpr std::size_t kBufferBytes = 1 << 16;

}  // namespace

std::string frame_log_path() {
  const char* path = std::getenv(kFrameLogVariable);
  return path != nullptr ? path : "";
}

FrameLog::FrameLog(const std::string& path) {
  if (path.empty()) return;
  file_.reset(std::fopen(path.c_str(), "a"));
  if (file_) std::setvbuf(file_.get(), nullptr, _IOFBF, kBufferBytes);
}

void FrameLog::resources(std::uint32_t now_ms, const ResourceSample& sample) {
  if (!file_) return;
  std::fprintf(file_.get(), "r %llu %lu", static_cast<unsigned long long>(frames_),
               static_cast<unsigned long>(now_ms));
  for (const ResourceFigure& figure : sample) {
    std::fprintf(file_.get(), " %s %llu", figure.name.c_str(),
                 static_cast<unsigned long long>(figure.value));
  }
  std::fputc('\n', file_.get());
  std::fflush(file_.get());
}

void FrameLog::frame(std::uint32_t start_ms) {
  if (!file_) return;
  std::fprintf(file_.get(), "f %lu\n", static_cast<unsigned long>(start_ms));
  ++frames_;
  if (frames_ % kFlushFrames == 0) std::fflush(file_.get());
}

void FrameLog::presented(std::uint32_t now_ms, std::optional<std::uint64_t> process_age_ms) {
  if (!file_ || presented_) return;
  presented_ = true;
  const auto unix_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
  std::fprintf(file_.get(), "presented %lu %lld ", static_cast<unsigned long>(now_ms),
               static_cast<long long>(unix_ms));
  if (process_age_ms) {
    std::fprintf(file_.get(), "%llu\n", static_cast<unsigned long long>(*process_age_ms));
  } else {
    std::fputs("-\n", file_.get());
  }
  std::fflush(file_.get());
}

void FrameLog::event(std::uint32_t now_ms, std::string_view what) {
  if (!file_) return;
  std::fprintf(file_.get(), "e %lu %.*s\n", static_cast<unsigned long>(now_ms),
               static_cast<int>(what.size()), what.data());
  std::fflush(file_.get());
}

}  // namespace fizzlet
