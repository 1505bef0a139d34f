#pragma once
// The configuration dialog without the window system: its form, the mapping
// between its controls and the settings, and how its two scroll bars move.

#include <cstdint>

#include "dialogs/form.h"
#include "settings/settings.h"

namespace fizzlet {

namespace configuration {
inline constexpr int kTitlePicture = 1001;
inline constexpr int kTitleLabel = 1002;
inline constexpr int kKernelCountLabel = 1003;
inline constexpr int kPopChanceMoreLabel = 1004;
inline constexpr int kPopChanceLessLabel = 1005;
inline constexpr int kPopChanceLabel = 1006;
inline constexpr int kKernelCountLessLabel = 1007;
inline constexpr int kKernelCountMoreLabel = 1008;
inline constexpr int kKernelCountScrollBar = 1010;
inline constexpr int kPopChanceScrollBar = 1011;
inline constexpr int kMusicCheckBox = 1012;
inline constexpr int kAboutButton = 1020;
inline constexpr int kExitButton = 1021;
inline constexpr int kPasswordButton = 1022;
inline constexpr int kPreviewButton = 1023;
}  // namespace configuration

const FormSpec& configuration_form();

// A horizontal scroll bar's range and steps.
struct ScrollRange {
  int minimum;
  int maximum;
  int small_step;  // arrow keys and the arrow buttons
  int large_step;  // Page Up/Down and clicks beside the thumb
};
inline constexpr ScrollRange kKernelCountRange{kMinFizzlet, kMaxFizzlet, 1, 1};
inline constexpr ScrollRange kPopChanceRange{kMinPopChance, kMaxPopChance, 1, 1};

// What the user did to a scroll bar (the window system's scroll requests).
enum class ScrollAction {
  line_left,   // Left arrow key or left arrow button
  line_right,
  page_left,   // Page Up, or a click left of the thumb
  page_right,
  to_left,     // Home
  to_right,    // End
  thumb,       // the thumb dragged or dropped at a position
  other,       // anything else leaves the position as it is
};
// The new position, always within the range.
int scroll_position(const ScrollRange& range, int position, ScrollAction action,
                    int thumb_position = 0);

// The states of the controls that hold settings.
struct ConfigurationControls {
  int kernel_count = kDefaultFizzlet;  // total_fizzlet
  int pop_chance = kDefaultPopChance;  // pop_chance
  bool music_on = true;                // audio_on: checked unless its number is 0
  friend bool operator==(const ConfigurationControls&, const ConfigurationControls&) = default;
};

// What the dialog shows when it loads: the bars at total_fizzlet and pop_chance, the check box at
// audio_on taken as a number.  Values the controls cannot show are brought
// into their ranges (a bar to its nearer end, any non-zero music to checked).
ConfigurationControls controls_from_settings(const Settings& settings);

// The save points (Preview and closing the dialog): audio_on, then
// total_fizzlet, then pop_chance from the controls, then every setting is
// written to the store.
void save_from_controls(const ConfigurationControls& controls, Settings& settings,
                        SettingsStore& store);

// What the dialog's handlers ask of its window beyond a form's: the
// controls that hold settings, and the windows that run over the dialog.
class ConfigurationHost {
 public:
  virtual ~ConfigurationHost() = default;
  virtual ConfigurationControls controls() const = 0;
  virtual void show_controls(const ConfigurationControls& shown) = 0;
  // Each runs modal over the dialog and returns when it has ended.
  virtual void run_about() = 0;
  virtual void run_password_change() = 0;
  virtual void run_preview() = 0;
  // Ends the loop of the modal window that runs over the dialog.
  virtual void end_modal_loop() = 0;
  // The dialog back in front, the focus on a control.
  virtual void bring_back(int focus_id) = 0;
  virtual bool is_open() const = 0;
};

// The handlers of the open dialog.  Every way of closing it saves the
// settings.  While a window runs over it (the about box, the password
// change, Preview's saver), a close request ends that window first, then
// closes the dialog as usual.
class ConfigurationRules {
 public:
  // The references must outlive the rules.
  ConfigurationRules(FormWindow& form, ConfigurationHost& host, Settings& settings,
                     SettingsStore& store);
  // The settings loaded again and shown.
  void on_load();
  // About, Password, Preview, and Exit or Escape (as a close).
  bool on_command(int id);
  // Exit, Escape, the close box, Alt+F4 or a close request from outside.
  void on_close();
  // Every way out: the controls are saved.
  void on_unload();
  // The session ends and the program with it, without closing the dialog:
  // keep what the controls hold.
  void on_session_end();

 private:
  template <typename Run>
  void run_over(Run run);
  void on_preview();

  FormWindow& form_;
  ConfigurationHost& host_;
  Settings& settings_;
  SettingsStore& store_;
  HandlerGuard guard_;
};

}  // namespace fizzlet
