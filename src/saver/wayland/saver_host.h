#pragma once
// The saver on Wayland: the saver session (saver/session.h) over one
// full-screen surface per output of the compositor, each with an animation
// of its own, ending on user activity, a close request from the compositor,
// SIGTERM, SIGINT or SIGHUP, the last output's removal or the compositor's
// end.

#include <optional>

#include "saver/native_host.h"
#include "settings/settings.h"

namespace fizzlet::wayland {

// Runs the saver on the compositor of $WAYLAND_DISPLAY, with the music of
// target, until it ends and returns the exit status (kExitDone ...; messages
// go to standard error); nothing when no compositor answers.
std::optional<int> run_saver(const SaverTarget& target, Settings& settings);

}  // namespace fizzlet::wayland
