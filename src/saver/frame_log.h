#pragma once
// The saver's frame log, a measuring and diagnosing aid that is off unless
// the environment variable kFrameLogVariable names a file.  Every host writes
// the same lines (the figures scripts in tools/ read them):
//   f <ms>                        the start of every frame (the host's clock)
//   presented <ms> <unix ms> <age ms>
//                                 once, when the first frame has been shown;
//                                 age: since the process started ("-" where
//                                 the host cannot tell)
//   r <frame> <ms> <name> <value> ...
//                                 every kResourceSampleFrames frames: the
//                                 host's own figures (memory, handles ...)
//   e <ms> <what>                 set-up steps, input that can end the saver,
//                                 why the frame loop ended

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fizzlet {

inline constexpr char kFrameLogVariable[] = "FIZZLET_FRAME_LOG";
inline constexpr std::uint64_t kResourceSampleFrames = 1000;

// One figure of a resource sample, such as {"handles", 42}.
struct ResourceFigure {
  std::string name;
  std::uint64_t value = 0;
};
using ResourceSample = std::vector<ResourceFigure>;

// The file kFrameLogVariable names, or empty.
std::string frame_log_path();

class FrameLog {
 public:
  FrameLog() = default;
  // Appends to the file at path; an empty path (or one that cannot be
  // opened) gives a log that writes nothing.
  explicit FrameLog(const std::string& path);

  explicit operator bool() const { return file_ != nullptr; }
  // True when the next frame is to be preceded by a resource sample.
  bool sample_due() const { return file_ && frames_ % kResourceSampleFrames == 0; }
  void resources(std::uint32_t now_ms, const ResourceSample& sample);
  void frame(std::uint32_t start_ms);
  // Once: the first frame is on the screen.
  void presented(std::uint32_t now_ms, std::optional<std::uint64_t> process_age_ms);
  bool first_presented() const { return presented_; }
  void event(std::uint32_t now_ms, std::string_view what);

 private:
  struct Close {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, Close> file_;
  std::uint64_t frames_ = 0;
  bool presented_ = false;
};

}  // namespace fizzlet
