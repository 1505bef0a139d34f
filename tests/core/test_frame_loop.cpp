#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "saver/frame_loop.h"
#include "saver/handle_table.h"

namespace fizzlet {
namespace {

// A saver window on a simulated clock.  Events are scheduled at clock times
// and run (in order) by process_pending_events once their time has come;
// wait_for_events sleeps until the next event or the timeout, like the real
// message wait.  Composing a frame takes compose_cost_ms.
class FakeHost : public FrameHost {
 public:
  explicit FakeHost(std::uint32_t start_ms = 1000) : now_(start_ms) {}

  void at(std::uint32_t offset_ms, std::function<void()> event) {
    events_.emplace(now_ + offset_ms, std::move(event));
  }
  // Schedules an event for the start of a frame's wait (frames count from 1).
  void in_frame(int frame, std::function<void()> event) { frame_events_[frame].push_back(event); }

  bool saver_running() const override { return running; }
  std::uint32_t read_time_ms() override { return now_; }
  void compose_frame(std::uint32_t frame_start_ms) override {
    frame_starts.push_back(frame_start_ms);
    now_ += compose_cost_ms;
    const int frame = static_cast<int>(frame_starts.size());
    for (auto& event : frame_events_[frame]) events_.emplace(now_, event);
    if (max_frames > 0 && frame >= max_frames) running = false;
  }
  void process_pending_events() override {
    ++pump_calls;
    // Runs every event whose time has come (modulo 2^32), in time order.
    for (auto it = events_.begin(); it != events_.end();) {
      if (now_ - it->first < 0x80000000u) {
        auto event = it->second;
        events_.erase(it);
        event();
        it = events_.begin();
      } else {
        ++it;
      }
    }
  }
  void wait_for_events(std::uint32_t timeout_ms) override {
    sleeps.push_back(timeout_ms);
    std::uint32_t step = timeout_ms;
    if (!events_.empty()) step = std::min(step, events_.begin()->first - now_);
    now_ += step;
  }
  bool password_enabled() override {
    ++password_reads;
    return password_on;
  }
  void show_password_dialog() override { ++dialogs_shown; }
  void repaint_from_copy() override { ++repaints; }
  void handle_music() override { ++music_calls; }

  std::uint32_t now() const { return now_; }

  bool running = true;
  bool password_on = false;
  int max_frames = 0;  // 0: no limit
  std::uint32_t compose_cost_ms = 4;
  std::vector<std::uint32_t> frame_starts;
  std::vector<std::uint32_t> sleeps;
  int pump_calls = 0;
  int password_reads = 0;
  int dialogs_shown = 0;
  int repaints = 0;
  int music_calls = 0;

 private:
  std::uint32_t now_;
  std::multimap<std::uint32_t, std::function<void()>> events_;
  std::map<int, std::vector<std::function<void()>>> frame_events_;
};

// Runs frame after frame through finish_frame (without the wait) and returns
// how many frames ran until the loop asked to stop, or limit.
int frames_until_stop(SaverFlags& flags, ActivityWindow& window, FakeHost& host,
                      const std::function<void(int)>& during_frame, int limit = 400) {
  for (int frame = 1; frame <= limit; ++frame) {
    during_frame(frame);
    if (!finish_frame(flags, window, host)) return frame;
  }
  return limit;
}

TEST(FrameTimeRemaining, CountsDownToThePeriodAcrossTheClockWrap) {
  EXPECT_EQ(frame_time_remaining(1000, 1000), 30u);
  EXPECT_EQ(frame_time_remaining(1000, 1012), 18u);
  EXPECT_EQ(frame_time_remaining(1000, 1029), 1u);
  EXPECT_EQ(frame_time_remaining(1000, 1030), 0u);
  EXPECT_EQ(frame_time_remaining(1000, 5000), 0u) << "a long frame is not waited for at all";

  // Frame started 10 ms before the 32-bit clock wraps to 0.
  const std::uint32_t start = 0xFFFFFFF6u;
  EXPECT_EQ(frame_time_remaining(start, 0xFFFFFFFFu), 21u);
  EXPECT_EQ(frame_time_remaining(start, 0u), 20u) << "the wrap must not end the wait";
  EXPECT_EQ(frame_time_remaining(start, 19u), 1u);
  EXPECT_EQ(frame_time_remaining(start, 20u), 0u) << "nor stall it";
  EXPECT_EQ(frame_time_remaining(start, 500u), 0u);

  EXPECT_EQ(frame_time_remaining(1000, 1050, 100), 50u);
}

TEST(FrameWait, SleepsUntilTheDeadlineAndHandlesEventsAsTheyArrive) {
  SaverFlags flags;
  FakeHost host;
  std::vector<std::uint32_t> handled_at;
  host.at(7, [&] { handled_at.push_back(host.now()); });
  host.at(19, [&] { handled_at.push_back(host.now()); });

  const std::uint32_t start = host.now();
  wait_for_frame_end(host, start);

  EXPECT_EQ(host.now(), start + 30) << "the wait ends exactly at the frame deadline";
  EXPECT_EQ(handled_at, (std::vector<std::uint32_t>{start + 7, start + 19}))
      << "events are handled the moment they arrive";
  // Three sleeps: until the first event, the second, then the deadline; never
  // a busy loop and never a sleep past the deadline.
  EXPECT_EQ(host.sleeps, (std::vector<std::uint32_t>{30, 23, 11}));

  // A frame that overran its period is not waited for, but waiting events
  // are still handled once.
  int late = 0;
  host.at(0, [&] { ++late; });
  const int pumps = host.pump_calls;
  wait_for_frame_end(host, start);
  EXPECT_EQ(late, 1);
  EXPECT_EQ(host.pump_calls, pumps + 1);
  EXPECT_EQ(host.sleeps.size(), 3u);
}

TEST(MainLoop, StartsFramesThirtyMillisecondsApartAndStopsWhenTheSaverStops) {
  SaverFlags flags;
  FakeHost host;
  ActivityWindow window;
  host.compose_cost_ms = 45;  // a slow frame is not shortened, nor the next skipped
  host.in_frame(1, [&] { host.compose_cost_ms = 3; });
  // An outside close during frame 3's wait: the frame finishes, then the loop
  // stops at its next check without composing another frame.
  host.in_frame(3, [&] { host.running = false; });
  main_loop(flags, window, host);

  ASSERT_EQ(host.frame_starts.size(), 3u);
  EXPECT_EQ(host.frame_starts[1] - host.frame_starts[0], 45u);
  EXPECT_EQ(host.frame_starts[2] - host.frame_starts[1], 30u);
  EXPECT_EQ(host.music_calls, 3) << "the interrupted frame still ends normally";

  FakeHost stopped;
  stopped.running = false;
  main_loop(flags, window, stopped);
  EXPECT_TRUE(stopped.frame_starts.empty());
}

TEST(Activity, MouseMovesMustExceedTheThresholdWithinOneWindow) {
  SaverFlags flags;
  FakeHost host;

  {  // 20 moves in one frame: not enough, the window then runs out.
    ActivityWindow window;
    const int stop = frames_until_stop(flags, window, host, [&](int frame) {
      if (frame == 5)
        for (int i = 0; i < 20; ++i) record_mouse_move(flags);
    });
    EXPECT_EQ(stop, 400);
  }
  {  // The 21st move ends the saver at the end of that frame.
    ActivityWindow window;
    flags = SaverFlags{};
    const int stop = frames_until_stop(flags, window, host, [&](int frame) {
      if (frame >= 10 && frame <= 30) record_mouse_move(flags);
    });
    EXPECT_EQ(stop, 30);
  }
  {  // 15 + 15 moves split by a window boundary never reach the threshold;
     // moves during the 80th frame are discarded with the window.
    ActivityWindow window;
    flags = SaverFlags{};
    const int stop = frames_until_stop(flags, window, host, [&](int frame) {
      if (frame >= 66 && frame <= 80) record_mouse_move(flags);
      if (frame >= 81 && frame <= 95) record_mouse_move(flags);
      if (frame == 160)
        for (int i = 0; i < 25; ++i) record_mouse_move(flags);
    });
    EXPECT_EQ(stop, 400);
  }
  {  // A key ends the saver at the end of the frame it was pressed in.
    ActivityWindow window;
    flags = SaverFlags{};
    const int stop = frames_until_stop(flags, window, host, [&](int frame) {
      if (frame == 7) record_key_press(flags);
    });
    EXPECT_EQ(stop, 7);
  }
  EXPECT_EQ(host.password_reads, 2) << "the password option is read only when activity triggers";
}

TEST(Activity, TheActivityWindowOutlivesOneLoadOfTheSaverWindow) {
  ActivityWindow window;  // owned by the process, not the saver window
  SaverFlags first;
  FakeHost host;
  for (int frame = 1; frame <= 50; ++frame) finish_frame(first, window, host);

  // A second load (another Preview) starts with fresh flags but the window is
  // 50 frames old: it closes after 30 more frames, clearing these 20 moves...
  SaverFlags second;
  second.preview_mode = true;
  const int stop = frames_until_stop(second, window, host, [&](int frame) {
    if (frame == 30)
      for (int i = 0; i < 20; ++i) record_mouse_move(second);
    if (frame == 31) record_mouse_move(second);
  });
  // ... so the 21st move in frame 31 is the first of a new window.
  EXPECT_EQ(stop, 400);
}

TEST(Activity, PasswordDialogOpensOnceAndTheSaverEndsOnlyWhenItIsGone) {
  SaverFlags flags;
  FakeHost host;
  ActivityWindow window;
  host.password_on = true;

  record_key_press(flags);
  EXPECT_TRUE(finish_frame(flags, window, host));
  EXPECT_EQ(host.dialogs_shown, 1);
  EXPECT_TRUE(flags.password_dialog_open);
  EXPECT_FALSE(flags.exit_requested);
  EXPECT_EQ(flags.activity_count, 0);

  // More activity while it is open opens no second dialog.
  for (int i = 0; i < 5; ++i) {
    record_key_press(flags);
    EXPECT_TRUE(finish_frame(flags, window, host));
  }
  EXPECT_EQ(host.dialogs_shown, 1);

  // An exit request while the dialog is still open does not end the loop.
  flags.exit_requested = true;
  EXPECT_TRUE(finish_frame(flags, window, host));

  // Cancel: the dialog is gone, nothing ends; the next activity opens a new one.
  flags.exit_requested = false;
  flags.password_dialog_open = false;
  flags.repaint_requested = true;
  EXPECT_TRUE(finish_frame(flags, window, host));
  EXPECT_EQ(host.repaints, 1);
  record_key_press(flags);
  EXPECT_TRUE(finish_frame(flags, window, host));
  EXPECT_EQ(host.dialogs_shown, 2);

  // The right password: the dialog closes, then the exit is requested.
  flags.password_dialog_open = false;
  flags.exit_requested = true;
  EXPECT_FALSE(finish_frame(flags, window, host));

  // The option is read afresh at each trigger: switched off meanwhile, the
  // next activity ends the saver directly.
  flags = SaverFlags{};
  host.password_on = false;
  record_key_press(flags);
  EXPECT_FALSE(finish_frame(flags, window, host));
  EXPECT_EQ(host.dialogs_shown, 2);
}

TEST(Activity, PreviewModeEndsWithoutAskingForThePassword) {
  SaverFlags flags;
  flags.preview_mode = true;
  FakeHost host;
  ActivityWindow window;
  host.password_on = true;
  record_key_press(flags);
  EXPECT_FALSE(finish_frame(flags, window, host));
  EXPECT_EQ(host.password_reads, 0);
  EXPECT_EQ(host.dialogs_shown, 0);
}

TEST(EndOfFrame, RepaintsOncePerRequestAndAsksForMusicEveryFrame) {
  SaverFlags flags;
  FakeHost host;
  ActivityWindow window;
  flags.repaint_requested = true;
  for (int i = 0; i < 3; ++i) finish_frame(flags, window, host);
  EXPECT_EQ(host.repaints, 1);
  EXPECT_FALSE(flags.repaint_requested);
  EXPECT_EQ(host.music_calls, 3);

  // The frame that ends the saver still repaints and handles the music.
  flags.repaint_requested = true;
  record_key_press(flags);
  EXPECT_FALSE(finish_frame(flags, window, host));
  EXPECT_EQ(host.repaints, 2);
  EXPECT_EQ(host.music_calls, 4);
}

TEST(MouseMoveFilter, CountsOnlyChangesOfPosition) {
  MouseMoveFilter filter(PointerPosition{400, 300});
  EXPECT_FALSE(filter.moved({400, 300})) << "window appeared under a still pointer";
  EXPECT_FALSE(filter.moved({400, 300})) << "cursor hidden";
  EXPECT_TRUE(filter.moved({401, 300}));
  EXPECT_TRUE(filter.moved({401, 299}));
  EXPECT_FALSE(filter.moved({401, 299}));
  EXPECT_TRUE(filter.moved({400, 300})) << "moving back is movement too";

  MouseMoveFilter unknown_start;
  EXPECT_FALSE(unknown_start.moved({10, 10})) << "first report only sets the reference";
  EXPECT_TRUE(unknown_start.moved({11, 10}));
}

TEST(KeyboardClose, IsRefusedOnlyWhenItWouldBypassThePassword) {
  SaverFlags flags;
  EXPECT_TRUE(keyboard_close_allowed(flags, false));
  EXPECT_FALSE(keyboard_close_allowed(flags, true));
  flags.preview_mode = true;
  EXPECT_TRUE(keyboard_close_allowed(flags, true));
}

TEST(ProcessFigures, FileTimesAndTheOwnEntriesOfTheSystemHandleTable) {
  EXPECT_EQ(file_time_to_unix_ms(116444736000000000ULL), 0u);
  EXPECT_EQ(file_time_to_unix_ms(116444736000000000ULL + 12345678), 1234u);
  const std::vector<std::uint32_t> owners = {7, 9, 7, 7, 3};
  std::vector<std::uint8_t> table(sizeof(void*) + owners.size() * sizeof(HandleTableEntry));
  const auto count = static_cast<std::uint32_t>(owners.size());
  std::memcpy(table.data(), &count, sizeof count);
  for (std::size_t i = 0; i < owners.size(); ++i) {
    const HandleTableEntry entry{owners[i], 0, 0, 4, nullptr, 0};
    std::memcpy(table.data() + sizeof(void*) + i * sizeof entry, &entry, sizeof entry);
  }
  EXPECT_EQ(count_own_handles(table, 7), 3u);
  EXPECT_EQ(count_own_handles(table, 5), 0u);
  table.resize(table.size() - sizeof(HandleTableEntry));  // the count says more than fits
  EXPECT_EQ(count_own_handles(table, 7), 3u);
  EXPECT_EQ(count_own_handles(std::span(table).first(2), 7), 0u);
}

}  // namespace
}  // namespace fizzlet
