// The saver session over a host that reports its window's size: a set-up
// (a new screen) only when the size differs from the last one reported.

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "saver/session.h"

namespace fizzlet {
namespace {

class NoMusic final : public SaverMusicControl {
 public:
  void init_music(const Settings&) override {}
  void handle_music(const Settings&) override {}
  void music_off(const Settings&) override {}
};

// Each look at the events reports the next size; the session stops after
// the last one.
class SizeReportingHost final : public SaverHost {
 public:
  std::optional<ScreenSurfaces> open_screen(int width, int height, std::string&) override {
    screens.emplace_back(width, height);
    screen_ = std::make_unique<SoftwareSurface>(width, height);
    return memory_surfaces(*screen_, width, height);
  }
  double number_of_colors() override { return 16777216.0; }
  std::vector<PixelRect> monitors() override { return {}; }
  std::uint32_t read_time_ms() override { return now_ms_ += 10; }
  void wait_for_events(std::uint32_t) override {}
  void process_pending_events() override {
    if (next_ < reports.size()) {
      const auto [width, height] = reports[next_];
      rearranging ? session->rearranged(width, height) : session->resized(width, height);
      ++next_;
    } else {
      session->stop();
    }
  }
  SaverMusicControl& music() override { return music_; }
  void set_cursor_visible(bool) override {}
  SeedValues seed_values() override { return {1, 2}; }

  SaverSession* session = nullptr;
  bool rearranging = false;  // the monitors change with each report
  std::vector<std::pair<int, int>> reports;
  std::vector<std::pair<int, int>> screens;

 private:
  NoMusic music_;
  std::unique_ptr<SoftwareSurface> screen_;
  std::uint32_t now_ms_ = 0;
  std::size_t next_ = 0;
};

// A session over the host from a 64x48 set-up until its reports run out.
void run_reports(SizeReportingHost& host) {
  Settings settings;
  SaverKeep keep;
  SaverSession session(host, settings, keep, nullptr, nullptr, {});
  host.session = &session;
  session.start_run();
  ASSERT_TRUE(session.set_up({0, 0, 64, 48}));
  session.run();
  session.end_run();
}

TEST(SessionResize, OnlyASizeThatDiffersFromTheLastReportedOneSetsUpAgain) {
  SizeReportingHost host;
  host.reports = {{64, 48}, {64, 48}, {80, 48}, {80, 48}, {80, 60}, {80, 60},
                  {64, 48}, {80, 60}, {80, 60}, {80, 60}, {80, 60}, {80, 60}};
  run_reports(host);
  // 64x48, then 80x60 again, both in one frame's wait: the set-up that
  // follows is for the last size reported (80x60), never for 64x48.
  EXPECT_EQ(host.screens,
            (std::vector<std::pair<int, int>>{{64, 48}, {80, 48}, {80, 60}, {80, 60}}));
}

TEST(SessionResize, MonitorsRearrangedSetUpAgainEvenAtTheSameSize) {
  SizeReportingHost host;
  host.rearranging = true;
  host.reports = {{64, 48}, {64, 48}, {64, 48}, {64, 48}};
  run_reports(host);
  // Two reports in each frame's wait: one set-up per frame, where the same
  // sizes resized() would set up nothing.
  EXPECT_EQ(host.screens, (std::vector<std::pair<int, int>>{{64, 48}, {64, 48}, {64, 48}}));
}

}  // namespace
}  // namespace fizzlet
