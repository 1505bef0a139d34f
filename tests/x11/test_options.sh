#!/usr/bin/env bash
# The command line: bad values are refused with a message and status 2, and
# nothing is written to the settings file (no run writes it); --help lists
# the options; --version prints the project's version.  A display that does
# not exist, and an 8-bit display, give a clear message and status 1.  A FIFO
# as the settings file is said in one line and does not block.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
x11_setup 640x480x8
ini="$XDG_CONFIG_HOME/fizzlet/fizzlet.ini"
mkdir -p "$(dirname "$ini")"
printf '[Config]\ntotal_fizzlet=12\npop_chance=3\naudio_on=0\nmisc=\n' >"$ini"
cp "$ini" "$WORK_DIR/before.ini"

# arguments | words the message must hold
while IFS='|' read -r arguments expected; do
  # shellcheck disable=SC2086
  "$FIZZLET" $arguments >"$WORK_DIR/out" 2>"$WORK_DIR/err"
  status=$?
  [ "$status" -eq 2 ] || fail "'$arguments' gave status $status, not 2"
  grep -q -- "$expected" "$WORK_DIR/err" || fail "'$arguments': message '$(cat "$WORK_DIR/err")'"
  [ ! -s "$WORK_DIR/out" ] || fail "'$arguments' wrote to standard output"
done <<'EOF_CASES'
-count 0|-count must be a whole number from 1 to 100 (got "0")
-count 101|from 1 to 100
--count=abc|from 1 to 100
-count|-count needs a value
-pop-chance 51|-pop-chance must be a whole number from 1 to 50
-pop-chance 0x10|from 1 to 50
-window-id nowindow|-window-id must be a window id
-window-id 0|-window-id must be a window id
-window-id 0x1000001e3|at most 0x1fffffff
-music=1|-music takes no value
-speed 3|unknown option "-speed"
extra|unexpected argument "extra"
EOF_CASES
XSCREENSAVER_WINDOW=junk "$FIZZLET" -root 2>"$WORK_DIR/err"
[ $? -eq 2 ] && grep -q '^fizzlet: \$XSCREENSAVER_WINDOW must be a window id' "$WORK_DIR/err" ||
  fail "a garbage \$XSCREENSAVER_WINDOW: '$(cat "$WORK_DIR/err")'"
cmp -s "$ini" "$WORK_DIR/before.ini" || fail "a refused command line changed the settings file"
[ "$(ls -A "$(dirname "$ini")")" = "fizzlet.ini" ] || fail "files left beside the settings"

"$FIZZLET" --help >"$WORK_DIR/help" || fail "--help failed"
for option in --fullscreen -root -window-id -count -pop-chance -music -no-music -soundfont; do
  grep -q -- "$option" "$WORK_DIR/help" || fail "--help does not list $option"
done
version=$("$FIZZLET" --version) || fail "--version failed"
[[ "$version" =~ ^fizzlet\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"

"$FIZZLET" -display :9999 -no-music 2>"$WORK_DIR/err"
status=$?
[ "$status" -eq 1 ] || fail "a missing display gave status $status"
grep -q 'cannot open the X display ":9999"' "$WORK_DIR/err" || fail "unclear: $(cat "$WORK_DIR/err")"
"$FIZZLET" -no-music 2>"$WORK_DIR/err"
status=$?
[ "$status" -eq 1 ] || fail "an 8-bit display gave status $status"
grep -q "the visual is 8-bit PseudoColor; fizzlet draws only on 24- and 32-bit TrueColor" \
  "$WORK_DIR/err" || fail "unclear: $(cat "$WORK_DIR/err")"
cmp -s "$ini" "$WORK_DIR/before.ini" || fail "the settings file changed"
# A FIFO in the settings file's place neither blocks the start nor goes unsaid.
rm "$ini" && mkfifo "$ini"
timeout 20 "$FIZZLET" -no-music 2>"$WORK_DIR/err"
[ $? -eq 1 ] && grep -qx "fizzlet: ignoring the settings file $ini: it is not a regular file" \
  "$WORK_DIR/err" || fail "a FIFO as the settings file: $(cat "$WORK_DIR/err")"
log "$version; bad values refused with status 2, settings untouched"
pass
