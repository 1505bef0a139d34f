#include "app/saver_options.h"

#include <charconv>

namespace fizzlet {
namespace {

constexpr std::string_view kUsage = R"(usage: fizzlet [options]
Golden kernels roll along the bottom of the screen, hop and pop.

Where to draw:
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
         " must be a window id in decimal or 0x hexadecimal, at most 0x1fffffff (got " +
         quoted(text) + ")";
}

}  // namespace

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
  SaverOptions& o = result.options;
  enum class Asked { nothing, own_window, root, window } asked = Asked::nothing;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const auto parsed_name = option_name(argument);
    if (!parsed_name) {
      result.error = "unexpected argument " + quoted(argument) + " (see --help)";
      return result;
    }
    std::string_view name = *parsed_name;
    std::optional<std::string_view> value;
    if (const auto equals = name.find('='); equals != std::string_view::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    const auto takes_value = [&]() -> std::optional<std::string_view> {
      if (value) return value;
      if (i + 1 < arguments.size()) return arguments[++i];
      result.error = "-" + std::string(name) + " needs a value (see --help)";
      return std::nullopt;
    };
    const auto no_value = [&] {
      if (value) result.error = "-" + std::string(name) + " takes no value";
      return !value;
    };

    if (name == "help" || name == "h") {
      if (!no_value()) return result;
      o.action = SaverAction::help;
    } else if (name == "version") {
      if (!no_value()) return result;
      o.action = SaverAction::version;
    } else if (name == "fullscreen") {
      if (!no_value()) return result;
      asked = Asked::own_window;
    } else if (name == "root") {
      if (!no_value()) return result;
      asked = Asked::root;
    } else if (name == "music" || name == "no-music") {
      if (!no_value()) return result;
      o.music = name == "music";
    } else if (name == "window-id") {
      const auto text = takes_value();
      if (!text) return result;
      const auto id = parse_window_id(*text);
      if (!id) {
        result.error = bad_window_id("-window-id", *text);
        return result;
      }
      o.window_id = *id;
      asked = Asked::window;
    } else if (name == "count" || name == "pop-chance") {
      const auto text = takes_value();
      if (!text) return result;
      const bool count = name == "count";
      const int low = count ? kMinFizzlet : kMinPopChance;
      const int high = count ? kMaxFizzlet : kMaxPopChance;
      const auto number = parse_ranged(*text, low, high);
      if (!number) {
        result.error = "-" + std::string(name) + " must be a whole number from " +
                       std::to_string(low) + " to " + std::to_string(high) + " (got " +
                       quoted(*text) + ")";
        return result;
      }
      (count ? o.count : o.pop_chance) = number;
    } else if (name == "soundfont" || name == "display") {
      const auto text = takes_value();
      if (!text) return result;
      if (text->empty()) {
        result.error = "-" + std::string(name) + " needs a value (see --help)";
        return result;
      }
      (name == "soundfont" ? o.soundfont : o.display) = std::string(*text);
    } else {
      result.error = "unknown option " + quoted(argument) + " (see --help)";
      return result;
    }
  }

  // Under the xscreensaver daemon the variable names the window to draw in;
  // like xscreensaver's own programs, "-root" then means that window.  An
  // empty variable counts as unset; anything else that names no window is
  // refused rather than quietly drawing somewhere else.
  std::optional<std::uint64_t> daemon_window;
  const bool daemon_window_used = asked == Asked::root || asked == Asked::nothing;
  if (daemon_window_used && xscreensaver_window && !xscreensaver_window->empty()) {
    daemon_window = parse_window_id(*xscreensaver_window);
    if (!daemon_window) {
      result.error = bad_window_id("$XSCREENSAVER_WINDOW", *xscreensaver_window);
      return result;
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
  return result;
}

void apply_saver_options(const SaverOptions& options, Settings& settings) {
  if (options.count) settings.total_fizzlet = *options.count;
  if (options.pop_chance) settings.pop_chance = *options.pop_chance;
  if (options.music) settings.audio_on = *options.music ? "1" : "0";
}

std::string_view saver_usage() { return kUsage; }

}  // namespace fizzlet
