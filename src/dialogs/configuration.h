#pragma once
// frm_configuration without the window system: its form, the mapping
// between its controls and the settings, and how its two scroll bars move.

#include <cstdint>

#include "dialogs/form.h"
#include "settings/settings.h"

namespace fizzlet {

namespace configuration {
inline constexpr int kImage1 = 1001;
inline constexpr int kLabel1 = 1002;
inline constexpr int kLabel2 = 1003;
inline constexpr int kLabel3 = 1004;
inline constexpr int kLabel4 = 1005;
inline constexpr int kLabel5 = 1006;
inline constexpr int kLabel6 = 1007;
inline constexpr int kLabel7 = 1008;
inline constexpr int kHScroll1 = 1010;  // number of kernels
inline constexpr int kHScroll2 = 1011;  // chance of popping
inline constexpr int kCheck1 = 1012;    // background music
inline constexpr int kCommand2 = 1020;  // About
inline constexpr int kCommand4 = 1021;  // Exit
inline constexpr int kCommand5 = 1022;  // Password
inline constexpr int kCommand6 = 1023;  // Preview
}  // namespace configuration

const FormSpec& configuration_form();

// A horizontal scroll bar's range and steps.
struct ScrollRange {
  int minimum;
  int maximum;
  int small_step;  // arrow keys and the arrow buttons
  int large_step;  // Page Up/Down and clicks beside the thumb
};
inline constexpr ScrollRange kHScroll1Range{kMinFizzlet, kMaxFizzlet, 1, 1};
inline constexpr ScrollRange kHScroll2Range{kMinPopChance, kMaxPopChance, 1, 1};

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
  int hscroll1 = kDefaultFizzlet;   // total_fizzlet
  int hscroll2 = kDefaultPopChance; // pop_chance
  int check1 = 1;                   // audio_on: 0 clear, 1 checked
  friend bool operator==(const ConfigurationControls&, const ConfigurationControls&) = default;
};

// Form_Load: the bars at total_fizzlet and pop_chance, the check box at
// audio_on taken as a number.  Values the controls cannot show are brought
// into their ranges (a bar to its nearer end, any non-zero music to checked).
ConfigurationControls controls_from_settings(const Settings& settings);

// The save points (Preview and closing the dialog): audio_on, then
// total_fizzlet, then pop_chance from the controls, then every setting is
// written to the store.
void save_from_controls(const ConfigurationControls& controls, Settings& settings,
                        SettingsStore& store);

}  // namespace fizzlet
