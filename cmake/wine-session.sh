#!/usr/bin/env bash
# ctest fixture for the Windows tests: "start DIR" makes a fresh Wine prefix
# in DIR, starts an Xvfb display when none is set, keeps a wineserver alive
# and boots the prefix once, keeping a copy of the booted prefix as a template
# for tests that need a registry of their own; "stop DIR" ends all of it and
# removes the prefixes.
# Wine's background services are started with their output sent to /dev/null:
# if they inherited ctest's pipe, ctest would never see the pipe close.
set -u
cmd="$1"; dir="$2"
case "$cmd" in
start)
  "$0" stop "$dir" >/dev/null 2>&1
  mkdir -p "$dir"
  display="${DISPLAY:-}"
  if [ -z "$display" ]; then
    for n in $(seq 90 140); do
      if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 </dev/null &
        echo $! > "$dir/xvfb.pid"
        display=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        break
      fi
    done
  fi
  {
    echo "WINEPREFIX='$dir/prefix'"
    echo "DISPLAY='$display'"
  } > "$dir/env.tmp"
  export WINEPREFIX="$dir/prefix" DISPLAY="$display" WINEDEBUG=-all
  setsid wineserver -p >/dev/null 2>&1 </dev/null
  setsid wine cmd /c exit >/dev/null 2>&1 </dev/null
  # No window manager runs on a test display: closing windows must not wait
  # for one.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  # A booted prefix, saved while no server runs, that end-to-end tests copy
  # for a registry of their own in two seconds instead of booting one in
  # twenty.
  wineserver -k >/dev/null 2>&1 </dev/null
  wineserver -w >/dev/null 2>&1 </dev/null
  cp -a "$dir/prefix" "$dir/template"
  setsid wineserver -p >/dev/null 2>&1 </dev/null
  setsid wine cmd /c exit >/dev/null 2>&1 </dev/null
  echo "TEMPLATE='$dir/template'" >> "$dir/env.tmp"
  mv "$dir/env.tmp" "$dir/env"
  ;;
stop)
  if [ -f "$dir/env" ]; then
    # shellcheck disable=SC1091
    . "$dir/env"; export WINEPREFIX
    wineserver -k >/dev/null 2>&1 || true
  fi
  [ -f "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
  rm -rf "$dir"
  ;;
esac
exit 0
