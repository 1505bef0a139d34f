// The dialogs' forms and shared rules: twips to pixels, the tab orders and
// tool tips of the tables, the configuration dialog's controls and scroll
// bars, the guard of handlers that show message boxes, and the home page.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/about.h"
#include "dialogs/configuration.h"
#include "dialogs/dialog_template.h"
#include "dialogs/password_change.h"
#include "dialogs/password_check.h"
#include "settings/memory_store.h"

namespace fizzlet {
namespace {

TEST(FormLayout, TwipsBecomePixelsRoundedHalvesToEven) {
  struct Case {
    int twips, factor, pixels;
  } cases[] = {
      {7860, 15, 524}, {4230, 10, 423}, {630, 12, 52} /* 52.5 */, {690, 12, 58} /* 57.5 */,
      {1125, 12, 94},  {5, 2, 2},       {7, 2, 4},                {-7, 2, -4},
      {100, 0, 7} /* no usable factor: 15 */,
  };
  for (const Case& c : cases) {
    EXPECT_EQ(twips_to_pixels(c.twips, c.factor), c.pixels) << c.twips << " / " << c.factor;
  }
  EXPECT_EQ(to_pixels({90, 90, 4860, 3660}, 15, 10), (PixelRect{6, 9, 324, 366}));
}

TEST(FormLayout, LabelsMayGrowIntoTheFreeRoomBesideThem) {
  const FormSpec& change = password_change_form();
  EXPECT_EQ(text_room(change, *change.find(password_change::kConfirmPasswordLabel)), 1980 - 60 - 180);
  const FormSpec& check = password_check_form();
  EXPECT_EQ(text_room(check, *check.find(password_check::kPromptLabel)), 2790 - 60 - 180);
  const FormSpec& config = configuration_form();
  EXPECT_EQ(text_room(config, *config.find(configuration::kKernelCountLessLabel)), 7350 - 60 - 5070);
  EXPECT_EQ(text_room(config, *config.find(configuration::kKernelCountMoreLabel)), 405) << "right-aligned";
  EXPECT_EQ(text_room(config, *config.find(configuration::kPreviewButton)), 1200 - 120);
  EXPECT_EQ(text_room(config, *config.find(configuration::kMusicCheckBox)), 2595 - 300);
}

TEST(FormLayout, PlacesEveryControlAndFitsALabelBetweenItsPlaceAndItsRoom) {
  const FormSpec& check = password_check_form();
  const FormLayout layout = lay_out_form(check, 15, 12);
  EXPECT_EQ(layout.client_width, 256);
  EXPECT_EQ(layout.client_height, 94);
  EXPECT_EQ(layout.font_height, 13);
  ASSERT_EQ(layout.controls.size(), check.controls.size());
  const PlacedControl& prompt = layout.controls.back();
  EXPECT_EQ(prompt.spec->id, password_check::kPromptLabel);
  EXPECT_EQ(prompt.place, (PixelRect{12, 15, 169, 28}));
  EXPECT_TRUE(prompt.shows_text);
  EXPECT_EQ(prompt.text_room, 170);  // (2790 - 60 - 180) / 15
  EXPECT_FALSE(layout.controls.front().shows_text) << "the password box";
  EXPECT_TRUE(lay_out_form(about_form(), 15, 15).controls[3].bold) << "the title";
  for (const auto& [needed, width] : {std::pair{100, 169}, {169, 169}, {170, 170}, {400, 170}}) {
    EXPECT_EQ(fitted_label_width(prompt, needed), width) << needed;
  }
}

std::vector<int> tab_order(const FormSpec& form) {
  std::vector<int> ids;
  for (const ControlSpec& control : form.controls) {
    if (is_tab_stop(control.kind)) ids.push_back(control.id);
  }
  return ids;
}

TEST(FormLayout, TablesKeepTheirTabOrderToolTipsAndClientAreas) {
  using namespace configuration;
  const FormSpec& config = configuration_form();
  EXPECT_EQ(config.caption, "Screen Saver Configuration");
  EXPECT_EQ(tab_order(config),
            (std::vector<int>{kPasswordButton, kPreviewButton, kExitButton, kMusicCheckBox, kKernelCountScrollBar, kAboutButton, kPopChanceScrollBar}));
  EXPECT_EQ(config.find(kKernelCountLabel)->tool_tip, config.find(kPopChanceLabel)->tool_tip);
  EXPECT_EQ(config.find(kPreviewButton)->tool_tip, "Click here to preview the screen saver!");
  EXPECT_EQ(tab_order(password_change_form()),
            (std::vector<int>{password_change::kNewPassword, password_change::kConfirmPassword,
                              password_change::kOK, password_change::kCancel}));
  EXPECT_EQ(password_change_form().caption, "Change  Password");
  EXPECT_EQ(tab_order(about_form()).front(), about::kOkButton);
  EXPECT_EQ(tab_order(password_check_form()).front(), password_check::kPasswordBox);

  for (const FormSpec* form : {&config, &password_change_form(), &about_form(), &password_check_form()}) {
    for (const ControlSpec& c : form->controls) {
      EXPECT_LE(c.rect.left + c.rect.width, form->client_width) << form->caption << " " << c.id;
      EXPECT_LE(c.rect.top + c.rect.height, form->client_height) << form->caption << " " << c.id;
    }
  }
}

TEST(DialogTemplate, HeaderThenOneAlignedItemPerControlWithItsClassAndStyle) {
  using namespace dialog_style;
  const std::vector<std::uint16_t> words = dialog_template(password_check_form());
  // Style (two words), extended style, four controls, placeholder place, no menu, no class.
  const std::vector<std::uint16_t> header = {0x0080, 0x80C8, 0, 0, 4, 0, 0, 0, 0, 0, 0};
  ASSERT_GT(words.size(), 50u);
  EXPECT_EQ(std::vector<std::uint16_t>(words.begin(), words.begin() + 11), header);
  EXPECT_EQ(std::string(words.begin() + 11, words.begin() + 32), "Screen Saver Password");
  EXPECT_EQ(words[32], 0) << "caption ends";
  // The first item, the password box, starts at the next 32-bit boundary.
  EXPECT_EQ(words[33], 0) << "alignment";
  const std::vector<std::uint16_t> box = {0x00A0 /* password, auto scroll */,
                                          0x5001 /* child, visible, tab stop */,
                                          kClientEdge, 0, 0, 0, 0, 0,
                                          password_check::kPasswordBox, 0xFFFF, kEditAtom, 0, 0};
  EXPECT_EQ(std::vector<std::uint16_t>(words.begin() + 34, words.begin() + 47), box);

  struct Case {
    ControlKind kind;
    std::string_view tip;
    ControlClass expected;
  } cases[] = {
      {ControlKind::label, "", {kStaticAtom, 0x8C, 0}},
      {ControlKind::label, "tip", {kStaticAtom, 0x18C, 0}},
      {ControlKind::title_label, "", {kStaticAtom, 0x81, 0}},
      {ControlKind::right_label, "", {kStaticAtom, 0x82, 0}},
      {ControlKind::default_button, "tip", {kButtonAtom, kTabStop | 1, 0}},
      {ControlKind::check_box, "", {kButtonAtom, kTabStop | 3, 0}},
      {ControlKind::horizontal_scroll, "", {kScrollBarAtom, kTabStop, 0}},
      {ControlKind::picture, "", {kStaticAtom, 0x0D, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(control_class({1, c.kind, "", {}, c.tip}), c.expected) << static_cast<int>(c.kind);
  }
}

TEST(ConfigurationControls, ShowTheSettingsAndSaveThemBack) {
  Settings settings;  // a first run: nothing stored
  EXPECT_EQ(controls_from_settings(settings), (ConfigurationControls{36, 10, true}));
  settings.total_fizzlet = 250;
  settings.pop_chance = 0;
  settings.audio_on = "0";
  EXPECT_EQ(controls_from_settings(settings), (ConfigurationControls{100, 1, false}));
  settings.total_fizzlet = 0;
  settings.pop_chance = 51;
  EXPECT_EQ(controls_from_settings(settings), (ConfigurationControls{1, 50, false}));

  MemoryStore store;
  settings.password_plain = "KEEP";
  save_from_controls({98, 3, false}, settings, store);
  Settings loaded;
  load_settings(store, loaded);
  EXPECT_EQ(loaded.total_fizzlet, 98);
  EXPECT_EQ(loaded.pop_chance, 3);
  EXPECT_EQ(loaded.audio_on, "0");
  EXPECT_EQ(loaded.password_plain, "KEEP") << "closing the dialog stores the password again, unchanged";
  save_from_controls({1, 50, true}, settings, store);
  EXPECT_EQ(store.get(kAppKey, kSection, "audio_on", ""), "1");
  EXPECT_EQ(store.get(kAppKey, kSection, "pop_chance", ""), "50");
}

TEST(ConfigurationControls, ScrollBarsStepByOneAndStayInRange) {
  struct Case {
    ScrollAction action;
    int from, thumb, to;
  } cases[] = {
      {ScrollAction::line_right, 36, 0, 37}, {ScrollAction::line_left, 36, 0, 35},
      {ScrollAction::page_right, 36, 0, 37}, {ScrollAction::page_left, 36, 0, 35},
      {ScrollAction::to_left, 36, 0, 1},     {ScrollAction::to_right, 36, 0, 100},
      {ScrollAction::line_left, 1, 0, 1},    {ScrollAction::page_right, 100, 0, 100},
      {ScrollAction::thumb, 36, 77, 77},     {ScrollAction::thumb, 36, 500, 100},
      {ScrollAction::other, 36, 77, 36},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(scroll_position(kKernelCountRange, c.from, c.action, c.thumb), c.to)
        << static_cast<int>(c.action) << " from " << c.from;
  }
  EXPECT_EQ(scroll_position(kPopChanceRange, 10, ScrollAction::to_right), 50);
}

TEST(HandlerGuard, RunsOneHandlerAtATimeAndKeepsACloseForItsEnd) {
  HandlerGuard guard;
  EXPECT_TRUE(guard.request_close()) << "nothing running: close at once";
  ASSERT_TRUE(guard.enter());
  EXPECT_FALSE(guard.enter()) << "no second handler inside the first";
  EXPECT_FALSE(guard.leave()) << "no close was requested";
  ASSERT_TRUE(guard.enter());
  EXPECT_FALSE(guard.request_close()) << "a close while inside waits";
  EXPECT_TRUE(guard.leave()) << "and is acted on at the end";
  ASSERT_TRUE(guard.enter());
  EXPECT_FALSE(guard.leave()) << "a close is acted on once";
}

TEST(AboutHomePage, FileNamesAreBesideTheProgramAddressesAsTheyAre) {
  const std::string folder = "C:\\Program Files\\Fizzlet\\";
  EXPECT_EQ(home_page_address("fizzlet.html", folder), folder + "fizzlet.html");
  EXPECT_EQ(home_page_address("docs\\index.html", folder), folder + "docs\\index.html");
  for (const char* as_is : {"https://example.org/fizzlet", "file:///C:/fizzlet.html",
                            "D:\\pages\\fizzlet.html", "\\\\server\\share\\fizzlet.html", "",
                            "C:page.html" /* on drive C, never beside the program */}) {
    EXPECT_EQ(home_page_address(as_is, folder), as_is);
  }
}

}  // namespace
}  // namespace fizzlet
