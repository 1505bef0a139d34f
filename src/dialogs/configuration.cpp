#include "dialogs/configuration.h"

#include <algorithm>
#include <string>

namespace fizzlet {

namespace {

using namespace configuration;

constexpr std::string_view kWindTip = "Customize how fast or slow the wind will blow!";

// In tab order: Password, Preview, Exit, the music box, the kernel count,
// About, the chance of popping; the labels and the picture take no focus.
constexpr ControlSpec kControls[] = {
    {kPasswordButton, ControlKind::button, "Password", {1380, 3870, 1200, 300},
     "Click here to change the password for this screen saver"},
    {kPreviewButton, ControlKind::button, "Preview", {5250, 3870, 1200, 300},
     "Click here to preview the screen saver!"},
    {kExitButton, ControlKind::button, "Exit", {6540, 3870, 1200, 300}, "Click here to exit"},
    {kMusicCheckBox, ControlKind::check_box, "Play background music", {5100, 3330, 2595, 375},
     "Place a check here to play background music during the screen saver"},
    {kKernelCountScrollBar, ControlKind::horizontal_scroll, "", {5070, 1650, 2685, 285}},
    {kAboutButton, ControlKind::button, "About", {5850, 840, 1200, 300},
     "Click here to learn more about this screen saver"},
    {kPopChanceScrollBar, ControlKind::horizontal_scroll, "", {5040, 2610, 2685, 285}},
    {kTitlePicture, ControlKind::picture, "", {90, 90, 4860, 3660}},
    {kTitleLabel, ControlKind::title_label, "Fizzlet Screen Saver", {5070, 90, 2745, 285}},
    {kKernelCountLabel, ControlKind::centred_label, "Fizzlet Kernals", {5100, 1410, 2685, 225},
     kWindTip},
    {kKernelCountLessLabel, ControlKind::label, "Less", {5070, 1950, 405, 225}},
    {kKernelCountMoreLabel, ControlKind::right_label, "More", {7350, 1950, 405, 225}},
    {kPopChanceLabel, ControlKind::centred_label, "Chance Of Popping", {5070, 2370, 2685, 225},
     kWindTip},
    {kPopChanceLessLabel, ControlKind::label, "Less", {5040, 2910, 405, 225}},
    {kPopChanceMoreLabel, ControlKind::right_label, "More", {7320, 2910, 405, 225}},
};

constexpr FormSpec kForm{"Screen Saver Configuration", 7860, 4230, kControls};

}  // namespace

const FormSpec& configuration_form() { return kForm; }

int scroll_position(const ScrollRange& range, int position, ScrollAction action,
                    int thumb_position) {
  switch (action) {
    case ScrollAction::line_left: position -= range.small_step; break;
    case ScrollAction::line_right: position += range.small_step; break;
    case ScrollAction::page_left: position -= range.large_step; break;
    case ScrollAction::page_right: position += range.large_step; break;
    case ScrollAction::to_left: position = range.minimum; break;
    case ScrollAction::to_right: position = range.maximum; break;
    case ScrollAction::thumb: position = thumb_position; break;
    case ScrollAction::other: break;
  }
  return std::clamp(position, range.minimum, range.maximum);
}

ConfigurationControls controls_from_settings(const Settings& settings) {
  return {std::clamp<int>(settings.total_fizzlet, kKernelCountRange.minimum,
                          kKernelCountRange.maximum),
          std::clamp<int>(settings.pop_chance, kPopChanceRange.minimum, kPopChanceRange.maximum),
          audio_enabled(settings)};
}

void save_from_controls(const ConfigurationControls& controls, Settings& settings,
                        SettingsStore& store) {
  settings.audio_on = controls.music_on ? "1" : "0";
  settings.total_fizzlet = static_cast<std::int16_t>(
      std::clamp(controls.kernel_count, kKernelCountRange.minimum, kKernelCountRange.maximum));
  settings.pop_chance = static_cast<std::int16_t>(
      std::clamp(controls.pop_chance, kPopChanceRange.minimum, kPopChanceRange.maximum));
  save_settings(store, settings);
}

ConfigurationRules::ConfigurationRules(FormWindow& form, ConfigurationHost& host,
                                       Settings& settings, SettingsStore& store)
    : form_(form), host_(host), settings_(settings), store_(store) {}

void ConfigurationRules::on_load() {
  load_settings(store_, settings_);
  host_.show_controls(controls_from_settings(settings_));
}

bool ConfigurationRules::on_command(int id) {
  switch (id) {
    case kAboutButton: run_over([this] { host_.run_about(); }); return true;
    case kPasswordButton: run_over([this] { host_.run_password_change(); }); return true;
    case kPreviewButton: run_over([this] { on_preview(); }); return true;
    case kExitButton:
    case kEscapeCommand: on_close(); return true;
    default: return false;
  }
}

void ConfigurationRules::on_close() {
  if (guard_.request_close()) {
    form_.unload();
  } else {
    // run_over closes the dialog when the window over it has ended.
    host_.end_modal_loop();
  }
}

void ConfigurationRules::on_unload() { save_from_controls(host_.controls(), settings_, store_); }

void ConfigurationRules::on_session_end() { on_unload(); }

template <typename Run>
void ConfigurationRules::run_over(Run run) {
  if (!guard_.enter()) return;
  run();
  if (guard_.leave()) form_.unload();
}

// The settings are saved first, so the saver (which loads them when it
// starts) runs with the positions just chosen.  The saver ends on activity
// without asking for a password.
void ConfigurationRules::on_preview() {
  save_from_controls(host_.controls(), settings_, store_);
  host_.run_preview();
  if (host_.is_open()) host_.bring_back(kPreviewButton);
}

}  // namespace fizzlet
