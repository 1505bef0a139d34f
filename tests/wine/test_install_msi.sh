#!/usr/bin/env bash
# The Windows Installer package as a user meets it, in a fresh prefix:
# - SETSCREENSAVER=0 installs the files and leaves the user's screen saver;
# - a silent install puts fizzlet.scr, the ten pieces and the about page in
#   the system folder and makes Fizzlet the screen saver, and the installed
#   saver runs and ends on a key;
# - installing the same package again, then a package of a higher version,
#   leaves one installed Fizzlet; the older package then refuses to install;
# - uninstalling removes every installed file and the screen-saver value and
#   keeps the user's settings.
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../../tools/lib.sh"
[ "${FIZZLET_PACKAGES_BUILT:-ON}" = ON ] || { echo "SKIP: the packages are not built (no about page)"; exit 77; }
wine_setup

system32="$WINEPREFIX/drive_c/windows/system32"
desktop='HKCU\Control Panel\Desktop'
settings_key='HKCU\Software\Tarvo Fizzlet Screen Saver'
installed_scr='C:\windows\system32\fizzlet.scr'
caption="screen saver running"
shipped=(fizzlet.scr fizzlet.html FZLMUS{0..9}.MID)
version=$FIZZLET_VERSION
IFS=. read -r major minor patch <<<"$version"
newer_version="$major.$minor.$((patch + 1))"

# run_msiexec ACTION PACKAGE [PROPERTY=VALUE...], silent; returns its status.
run_msiexec() {
  local action=$1 package=$2
  shift 2
  wine msiexec "$action" "$(winepath -w "$package")" /qn "$@" >/dev/null 2>&1 </dev/null
}
# The version of each installed Fizzlet, one a line, from the programs list.
installed_versions() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r' |
    awk '/^HKEY/ { name = "" }
         $1 == "DisplayName" { sub(/^ *DisplayName +REG_SZ +/, ""); name = $0 }
         $1 == "DisplayVersion" && name == "Fizzlet Screen Saver" { print $3 }'
}
files_installed() {
  local file
  for file in "${shipped[@]}"; do cmp -s "$FIZZLET_PACKAGE_STAGE/$file" "$system32/$file" || return 1; done
}
files_gone() {
  local file
  for file in "${shipped[@]}"; do [ ! -e "$system32/$file" ] || return 1; done
}
screen_saver() { wine_reg_query "$desktop" SCRNSAVE.EXE | tr '[:upper:]' '[:lower:]'; }
lower() { echo "$1" | tr '[:upper:]' '[:lower:]'; }

# Without the property: files only; another saver stays the user's choice.
# (On Windows a component that was never installed is never removed; Wine's
# installer evaluates the component's condition again when uninstalling, so
# the property is given there too.)
other='C:\windows\system32\other.scr'
wine_reg_add "$desktop" SCRNSAVE.EXE REG_SZ "$other"
run_msiexec /i "$FIZZLET_MSI" SETSCREENSAVER=0 || fail "install with SETSCREENSAVER=0 failed"
files_installed || fail "SETSCREENSAVER=0 did not install the files"
[ "$(screen_saver)" = "$(lower "$other")" ] || fail "SETSCREENSAVER=0 changed the screen saver to $(screen_saver)"
run_msiexec /x "$FIZZLET_MSI" SETSCREENSAVER=0 || fail "uninstall after SETSCREENSAVER=0 failed"
files_gone || fail "uninstall left files"
[ "$(screen_saver)" = "$(lower "$other")" ] || fail "uninstall removed another saver's value"
wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null 2>&1
log "SETSCREENSAVER=0: files installed and removed, the other saver kept"

# A silent install with the defaults.
wine_reg_add "$settings_key\\Config" audio_on REG_SZ 0
start=$(now_ms)
run_msiexec /i "$FIZZLET_MSI" || fail "msiexec /i failed"
log "installed in $(($(now_ms) - start)) ms"
files_installed || fail "the system folder does not hold the shipped files"
[ "$(screen_saver)" = "$(lower "$installed_scr")" ] || fail "SCRNSAVE.EXE is '$(screen_saver)'"
[ "$(installed_versions)" = "$version" ] || fail "installed: $(installed_versions)"

# The installed saver runs and ends on a key (one more press when the first
# lands in the last frame of an activity window, which the saver discards).
FIZZLET_SCR="$installed_scr" wine_start /s
wait_window "$caption" 30 >/dev/null || fail "the installed saver opened no window"
sleep 1
end_with_key a 10000 >/dev/null || fail "the installed saver did not end on a key"
log "the installed saver ran and ended on a key"

# The same package again, then a higher version: one Fizzlet, the newer one.
run_msiexec /i "$FIZZLET_MSI" || fail "installing the same package again failed"
[ "$(installed_versions)" = "$version" ] || fail "after the same package again: $(installed_versions)"
newer="$WORK_DIR/fizzlet-$newer_version.msi"
bash "$FIZZLET_BUILD_MSI" "$FIZZLET_MSI_ARCH" "$newer_version" "$FIZZLET_PACKAGE_STAGE" "$FIZZLET_ICON" "$newer" ||
  fail "could not build a $newer_version package"
run_msiexec /i "$newer" || fail "the upgrade to $newer_version failed"
[ "$(installed_versions)" = "$newer_version" ] || fail "after the upgrade: $(installed_versions)"
files_installed || fail "the upgrade lost files"
[ "$(screen_saver)" = "$(lower "$installed_scr")" ] || fail "after the upgrade SCRNSAVE.EXE is '$(screen_saver)'"
run_msiexec /i "$FIZZLET_MSI" && fail "the older package installed over the newer one"
[ "$(installed_versions)" = "$newer_version" ] || fail "after the older package: $(installed_versions)"
log "same version again, $newer_version over $version: one Fizzlet; $version refused over $newer_version"

# Uninstall: nothing of the package is left; the user's settings are.
run_msiexec /x "$newer" || fail "msiexec /x failed"
[ -z "$(installed_versions)" ] || fail "still installed: $(installed_versions)"
files_gone || fail "uninstall left files in the system folder"
wine_reg_query "$desktop" SCRNSAVE.EXE >/dev/null && fail "uninstall left SCRNSAVE.EXE"
[ "$(wine_reg_query "$settings_key\\Config" audio_on)" = 0 ] || fail "uninstall touched the settings"

pass
