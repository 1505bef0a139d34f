#!/usr/bin/env bash
# Under Debian's xscreensaver daemon, configured to run only this saver
# ("mode: one", started with -root): "xscreensaver-command -activate" shows
# the kernels on the screen, "-deactivate" ends the saver.  The daemon will
# not run as root, so it runs as an unprivileged user made for the test,
# on an Xvfb that accepts every client (-ac).  Skipped (77) where that cannot
# be done: not root, or no xscreensaver.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"

user=fizzlet-saver
if [ "$(id -u)" -ne 0 ] || ! command -v xscreensaver >/dev/null || ! command -v runuser >/dev/null; then
  echo "[$SCRIPT_NAME] skipped: needs root, runuser and xscreensaver"
  exit 77
fi
id -u "$user" >/dev/null 2>&1 ||
  useradd --system --no-create-home --shell /usr/sbin/nologin "$user" ||
  fail "cannot make the user $user"

x11_setup 1280x720x24 -ac
# Everything the user needs lies in the scratch folder (the build tree may
# not be readable by others).
chmod 755 "$WORK_DIR"
cp "$FIZZLET" "$WORK_DIR/fizzlet"
home="$WORK_DIR/home"
mkdir "$home"
cat >"$home/.xscreensaver" <<EOF
timeout:	0:30:00
lock:		False
fade:		False
unfade:		False
splash:		False
mode:		one
selected:	0
programs:	\\
		"Fizzlet" $WORK_DIR/fizzlet -root -count 60 -pop-chance 1 -no-music \\n\\

EOF
chown -R "$user" "$home"
as_user() { runuser -u "$user" -- env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$@"; }

as_user xscreensaver -no-splash >"$WORK_DIR/daemon.log" 2>&1 </dev/null &
daemon=$!
BACKGROUND_PIDS+=("$daemon")
# shellcheck disable=SC2317  # called by the exit trap
stop_daemon() { as_user xscreensaver-command -exit >/dev/null 2>&1; }
trap 'stop_daemon; cleanup' EXIT

ready=no
for _ in $(seq 100); do
  as_user xscreensaver-command -version >/dev/null 2>&1 && { ready=yes; break; }
  sleep 0.1
done
[ "$ready" = yes ] || fail "the daemon did not start: $(cat "$WORK_DIR/daemon.log")"

saver_pid() { pgrep -u "$user" -f "^$WORK_DIR/fizzlet " | head -n 1; }

as_user xscreensaver-command -activate >/dev/null 2>&1 || fail "-activate failed"
pid=""
for _ in $(seq 100); do
  pid=$(saver_pid)
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || fail "the daemon did not start the saver: $(cat "$WORK_DIR/daemon.log")"
gold=$(wait_gold shot 1280x45+0+675 15) ||
  fail "no kernels on the screen under the daemon ($gold)"
log "saver $pid under the daemon: gold along the bottom $gold"

as_user xscreensaver-command -deactivate >/dev/null 2>&1 || fail "-deactivate failed"
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the saver still runs after -deactivate"
log "-deactivate ended the saver"
pass
