#!/usr/bin/env bash
# The install target, into a prefix other than the configured one (the tree
# must be relocatable): the program where Debian's xscreensaver looks for its
# programs, the option description where it looks for those, the music where
# the installed program finds it.  The description is well formed and every
# option it can give is one the program accepts.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
x11_setup 640x480x24
[ -d "${FIZZLET_BUILD_DIR:-}" ] || fail "FIZZLET_BUILD_DIR must name the build tree"

prefix="$WORK_DIR/prefix"
"${CMAKE_COMMAND:-cmake}" --install "$FIZZLET_BUILD_DIR" --prefix "$prefix" >"$WORK_DIR/install.log" 2>&1 ||
  fail "cmake --install failed: $(cat "$WORK_DIR/install.log")"
program="$prefix/libexec/xscreensaver/fizzlet"
xml="$prefix/share/xscreensaver/config/fizzlet.xml"
[ -x "$program" ] || fail "no program at libexec/xscreensaver/fizzlet"
[ -f "$xml" ] || fail "no option description at share/xscreensaver/config/fizzlet.xml"
for digit in 0 1 2 3 4 5 6 7 8 9; do
  [ -f "$prefix/share/fizzlet/music/FZLMUS$digit.MID" ] || fail "FZLMUS$digit.MID not installed"
done
log "installed: $(cd "$prefix" && find . -type f | sort | tr '\n' ' ')"

# Every argument the settings dialog can build from the description: the
# command, each slider at both ends, the check box's argument.
arguments=$(python3 - "$xml" <<'EOF'
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert root.tag == "screensaver" and root.get("name") == "fizzlet", root.attrib
args = [root.find("command").get("arg")]
sliders = {n.get("id"): n for n in root.iter("number")}
assert set(sliders) == {"count", "popchance"}, sliders
for n in sliders.values():
    for value in (n.get("low"), n.get("high")):
        args.append(n.get("arg").replace("%", value))
for b in root.iter("boolean"):
    args.append(b.get("arg-unset") or b.get("arg-set"))
print(" ".join(args))
EOF
) || fail "the option description is not what xscreensaver reads"
# shellcheck disable=SC2086
"$program" $arguments --help >/dev/null 2>"$WORK_DIR/err" ||
  fail "the program refuses '$arguments': $(cat "$WORK_DIR/err")"
log "accepted: $arguments"

# The installed program finds its music.
FIZZLET="$program" FIZZLET_AUDIO_FILE="$WORK_DIR/music.wav" x11_start -music -count 10 -pop-chance 1
sleep 2
x11_end_with_key
[ ! -s "$WORK_DIR/saver.err" ] || fail "no music from the installed tree: $(cat "$WORK_DIR/saver.err")"
[ -s "$WORK_DIR/music.wav" ] || fail "no music written"
pass
