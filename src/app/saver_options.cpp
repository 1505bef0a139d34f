#include "app/saver_options.h"

#include <charconv>

namespace fizzlet {
namespace {

constexpr std::string_view kUsage = R"(usage: fizzlet [options]
Golden kernels roll along the bottom of the screen, hop and pop.

Where to draw:
  --wayland           on the Wayland compositor of $WAYLAND_DISPLAY: one
                      full-screen surface per output (the default when that
                      is set and no X11 window or display is asked for)
  --x11               on the X display, even under a Wayland compositor
  --fullscreen        a full-screen window of its own (the default on a plain
                      display); a typed character or a lot of mouse movement
                      ends it
  -root               the root window, or the xscreensaver daemon's window
                      when $XSCREENSAVER_WINDOW names one
  -window-id ID       the window ID (decimal or 0x hexadecimal); with neither
                      option $XSCREENSAVER_WINDOW is used when it is set
  -display NAME       the X display (default $DISPLAY)

Settings (each overrides the stored one for this run only; nothing is saved):
  -count N            number of kernels, 1 to 100
  -pop-chance N       chance of popping, 1 to 50
  -music, -no-music   play the background music or not
  -soundfont FILE     General MIDI SoundFont for the music (default: the
                      first found of Debian's standard SoundFonts)

  --help              this text
  --version           the version

On a Wayland desktop an idle daemon starts it (the desktop's locker locks):
  swayidle -w timeout 300 /usr/libexec/xscreensaver/fizzlet

Stored settings: $XDG_CONFIG_HOME/fizzlet/fizzlet.ini (default ~/.config), [Config].
Exit status: 0 when the saver ends normally, 1 when it cannot run on this
display, 2 for a bad command line.
)";

// "-name" and "--name" alike: the name without its dashes, or nothing for an
// argument that is not an option.
std::optional<std::string_view> option_name(std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '-') return std::nullopt;
  argument.remove_prefix(argument[1] == '-' ? 2 : 1);
  if (argument.empty()) return std::nullopt;
  return argument;
}

std::optional<std::int16_t> parse_ranged(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty() ||
      value < low || value > high) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string bad_window_id(std::string_view source, std::string_view text) {
  return std::string(source) +
         " must be a window id in decimal or 0x hexadecimal, at most "
         "0x1fffffff (got " +
         quoted(text) + ")";
}

// Which placement option the command line gave last.
enum class Asked { nothing, own_window, root, window };

// What an option sets: the options, or the placement asked for.
struct Target {
  SaverOptions &options;
  Asked &asked;
};

// An option's value once it has been read and checked.
struct Value {
  std::uint64_t number = 0;  // a window id, or a number in the option's range
  std::string_view text;     // a non-empty text
};

// The value an option takes.
enum class Takes {
  nothing,
  window_id,  // a window id (parse_window_id)
  number,     // a whole number from low to high
  text,       // any non-empty text
};

// One option of the command line: its name (without dashes), the value it
// takes (with its range, for a number) and what it sets.
struct OptionRule {
  std::string_view name;
  Takes takes;
  int low;
  int high;
  void (*set)(Target &target, const Value &value);
};

constexpr OptionRule kOptionRules[] = {
    {"help", Takes::nothing, 0, 0,
     [](Target &t, const Value &) { t.options.action = SaverAction::help; }},
    {"h", Takes::nothing, 0, 0,
     [](Target &t, const Value &) { t.options.action = SaverAction::help; }},
    {"version", Takes::nothing, 0, 0,
     [](Target &t, const Value &) { t.options.action = SaverAction::version; }},
    {"wayland", Takes::nothing, 0, 0,
     [](Target &t, const Value &) { t.options.window_system = WindowSystem::wayland; }},
    {"x11", Takes::nothing, 0, 0,
     [](Target &t, const Value &) { t.options.window_system = WindowSystem::x11; }},
    {"fullscreen", Takes::nothing, 0, 0,
     [](Target &t, const Value &) { t.asked = Asked::own_window; }},
    {"root", Takes::nothing, 0, 0, [](Target &t, const Value &) { t.asked = Asked::root; }},
    {"window-id", Takes::window_id, 0, 0,
     [](Target &t, const Value &v) {
       t.options.window_id = v.number;
       t.asked = Asked::window;
     }},
    {"music", Takes::nothing, 0, 0, [](Target &t, const Value &) { t.options.music = true; }},
    {"no-music", Takes::nothing, 0, 0, [](Target &t, const Value &) { t.options.music = false; }},
    {"count", Takes::number, kMinFizzlet, kMaxFizzlet,
     [](Target &t, const Value &v) { t.options.count = static_cast<std::int16_t>(v.number); }},
    {"pop-chance", Takes::number, kMinPopChance, kMaxPopChance,
     [](Target &t, const Value &v) { t.options.pop_chance = static_cast<std::int16_t>(v.number); }},
    {"soundfont", Takes::text, 0, 0,
     [](Target &t, const Value &v) { t.options.soundfont = std::string(v.text); }},
    {"display", Takes::text, 0, 0,
     [](Target &t, const Value &v) { t.options.display = std::string(v.text); }},
};

const OptionRule *find_rule(std::string_view name) {
  for (const OptionRule &rule : kOptionRules) {
    if (rule.name == name) return &rule;
  }
  return nullptr;
}

// Checks the text of an option's value as its rule asks: the value, or the
// reason it is refused.
std::optional<Value> check_value(const OptionRule &rule, std::string_view text,
                                 std::string &error) {
  const std::string option = "-" + std::string(rule.name);
  switch (rule.takes) {
    case Takes::window_id:
      if (const auto id = parse_window_id(text)) return Value{*id, {}};
      error = bad_window_id(option, text);
      return std::nullopt;
    case Takes::number:
      if (const auto number = parse_ranged(text, rule.low, rule.high)) {
        return Value{static_cast<std::uint64_t>(*number), {}};
      }
      error = option + " must be a whole number from " + std::to_string(rule.low) + " to " +
              std::to_string(rule.high) + " (got " + quoted(text) + ")";
      return std::nullopt;
    case Takes::text:
      if (!text.empty()) return Value{0, text};
      error = option + " needs a value (see --help)";
      return std::nullopt;
    case Takes::nothing:
      break;
  }
  return Value{};
}

// Where to draw, once every option has been read.  Under the xscreensaver
// daemon the variable names the window to draw in; like xscreensaver's own
// programs, "-root" then means that window.  An empty variable counts as
// unset; anything else that names no window is refused rather than quietly
// drawing somewhere else.
void resolve_placement(Asked asked, std::optional<std::string_view> xscreensaver_window,
                       SaverOptionsResult &result) {
  SaverOptions &o = result.options;
  std::optional<std::uint64_t> daemon_window;
  const bool daemon_window_used = asked == Asked::root || asked == Asked::nothing;
  if (daemon_window_used && xscreensaver_window && !xscreensaver_window->empty()) {
    daemon_window = parse_window_id(*xscreensaver_window);
    if (!daemon_window) {
      result.error = bad_window_id("$XSCREENSAVER_WINDOW", *xscreensaver_window);
      return;
    }
  }
  switch (asked) {
    case Asked::window:
      o.placement = Placement::window;
      break;
    case Asked::own_window:
      o.placement = Placement::own_window;
      break;
    case Asked::root:
    case Asked::nothing:
      if (daemon_window) {
        o.placement = Placement::window;
        o.window_id = *daemon_window;
      } else {
        o.placement = asked == Asked::root ? Placement::root : Placement::own_window;
      }
      break;
  }
}

// -root, -window-id, -display or the daemon's window.
bool asks_for_x11(const SaverOptions &options) {
  return options.placement != Placement::own_window || !options.display.empty();
}

}  // namespace

std::vector<WindowSystem> window_systems(const SaverOptions &options,
                                         std::optional<std::string_view> wayland_display) {
  if (options.window_system) return {*options.window_system};
  if (wayland_display && !wayland_display->empty() && !asks_for_x11(options)) {
    return {WindowSystem::wayland, WindowSystem::x11};
  }
  return {WindowSystem::x11};
}

std::optional<std::uint64_t> parse_window_id(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint64_t id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id, base);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || id == 0 ||
      id > kMaxWindowId) {
    return std::nullopt;
  }
  return id;
}

SaverOptionsResult parse_saver_options(std::span<const std::string_view> arguments,
                                       std::optional<std::string_view> xscreensaver_window) {
  SaverOptionsResult result;
  Asked asked = Asked::nothing;
  Target target{result.options, asked};

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const auto parsed_name = option_name(argument);
    if (!parsed_name) {
      result.error = "unexpected argument " + quoted(argument) + " (see --help)";
      return result;
    }
    std::string_view name = *parsed_name;
    std::optional<std::string_view> text;  // "--name=text"
    if (const auto equals = name.find('='); equals != std::string_view::npos) {
      text = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const OptionRule *rule = find_rule(name);
    if (rule == nullptr) {
      result.error = "unknown option " + quoted(argument) + " (see --help)";
      return result;
    }
    if (rule->takes == Takes::nothing && text) {
      result.error = "-" + std::string(name) + " takes no value";
      return result;
    }
    if (rule->takes != Takes::nothing && !text) {
      if (i + 1 == arguments.size()) {
        result.error = "-" + std::string(name) + " needs a value (see --help)";
        return result;
      }
      text = arguments[++i];
    }
    const std::optional<Value> value = check_value(*rule, text.value_or(""), result.error);
    if (!value) return result;
    rule->set(target, *value);
  }
  resolve_placement(asked, xscreensaver_window, result);
  if (result.ok() && result.options.window_system == WindowSystem::wayland &&
      asks_for_x11(result.options)) {
    result.error =
        "--wayland draws on outputs of its own, not on an X11 "
        "window or display";
  }
  return result;
}

void apply_saver_options(const SaverOptions &options, Settings &settings) {
  if (options.count) settings.total_fizzlet = *options.count;
  if (options.pop_chance) settings.pop_chance = *options.pop_chance;
  if (options.music) settings.audio_on = *options.music ? "1" : "0";
}

std::string_view saver_usage() { return kUsage; }

}  // namespace fizzlet
