#!/usr/bin/env bash
# Makes the Debian package as tools/release.sh does (cpack into
# build/<preset>/package) and checks what a user gets:
# - exactly the files it should hold, owned by root, with 0755 directories and
#   program and 0644 files;
# - its control fields, among them the X libraries found by dpkg-shlibdeps
#   and FluidSynth and a SoundFont, which the program loads at run time;
# - no error or warning from lintian;
# - the changelog's latest entry is this version, the copyright file carries
#   LICENSE's terms;
# - unpacked into a throwaway root, the program says its version, and its man
#   page describes every option that --help lists.
# ctest gives FIZZLET_BUILD_DIR, FIZZLET_VERSION and FIZZLET_SOURCE_DIR.
set -u
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
build=$FIZZLET_BUILD_DIR version=$FIZZLET_VERSION
tmp=$(mktemp -d /tmp/fizzlet-deb.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

deb="$build/package/fizzlet_${version}_amd64.deb"
rm -f "$deb"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/package" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; echo "FAIL: cpack did not make the package"; exit 1; }
[ -f "$deb" ] || { echo "FAIL: no $deb"; exit 1; }

# --- contents: mode and path of every entry, all owned by root ---------------
music=$(for digit in 0 1 2 3 4 5 6 7 8 9; do echo "-rw-r--r-- ./usr/share/fizzlet/music/FZLMUS$digit.MID"; done)
expected=$(LC_ALL=C sort <<EOF
drwxr-xr-x ./usr/
drwxr-xr-x ./usr/libexec/
drwxr-xr-x ./usr/libexec/xscreensaver/
-rwxr-xr-x ./usr/libexec/xscreensaver/fizzlet
drwxr-xr-x ./usr/share/
drwxr-xr-x ./usr/share/doc/
drwxr-xr-x ./usr/share/doc/fizzlet/
-rw-r--r-- ./usr/share/doc/fizzlet/changelog.gz
-rw-r--r-- ./usr/share/doc/fizzlet/copyright
drwxr-xr-x ./usr/share/fizzlet/
drwxr-xr-x ./usr/share/fizzlet/music/
$music
drwxr-xr-x ./usr/share/man/
drwxr-xr-x ./usr/share/man/man6/
-rw-r--r-- ./usr/share/man/man6/fizzlet.6.gz
drwxr-xr-x ./usr/share/xscreensaver/
drwxr-xr-x ./usr/share/xscreensaver/config/
-rw-r--r-- ./usr/share/xscreensaver/config/fizzlet.xml
EOF
)
listing=$(dpkg-deb -c "$deb") || fail "dpkg-deb cannot list the package"
actual=$(awk '{ print $1, $6 }' <<<"$listing" | LC_ALL=C sort)
[ "$actual" = "$expected" ] || fail "the package holds:"$'\n'"$(diff <(echo "$expected") <(echo "$actual"))"
owners=$(awk '{ print $2 }' <<<"$listing" | sort -u)
[ "$owners" = root/root ] || fail "owners: $owners"

# --- control fields ----------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
for expected_field in Package=fizzlet "Version=$version" Architecture=amd64 Section=x11 \
  Priority=optional Enhances=xscreensaver; do
  name=${expected_field%%=*}
  [ "$(field "$name")" = "${expected_field#*=}" ] || fail "$name is '$(field "$name")'"
done
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer is '$(field Maintainer)'"
[[ "$(field Installed-Size)" =~ ^[0-9]+$ ]] || fail "Installed-Size is '$(field Installed-Size)'"
description=$(field Description)
[ "$(wc -l <<<"$description")" -gt 2 ] || fail "no long description: $description"
# Each Depends item, in whole, without version constraints.
depends=$(field Depends | tr ',' '\n' | sed -E 's/ *\([^)]*\)//g; s/^ +//; s/ +$//')
for needed in libc6 libx11-6 libxext6 libwayland-client0 libxkbcommon0 libfluidsynth3 \
  "timgm6mb-soundfont | fluid-soundfont-gm | musescore-general-soundfont"; do
  grep -qxF "$needed" <<<"$depends" || fail "Depends lacks '$needed': $(field Depends)"
done

# --- lintian -------------------------------------------------------------------
lintian --fail-on error,warning --display-level ">=info" "$deb" >"$tmp/lintian.log" 2>&1 ||
  fail "lintian: status $? (2: errors or warnings, 1: it could not run)"
grep -v "^running with root privileges" "$tmp/lintian.log"

# --- unpacked: documentation and the program -----------------------------------
root="$tmp/root"
dpkg-deb -x "$deb" "$root" || fail "cannot unpack the package"
doc="$root/usr/share/doc/fizzlet"
gunzip -c "$doc/changelog.gz" >"$tmp/changelog"
[ "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version 2>&1)" = "$version" ] ||
  fail "the changelog's latest entry is not $version: $(head -n 1 "$tmp/changelog")"
# The Expat paragraph's text, unindented, is LICENSE from its terms on.
terms=$(sed -n '/^License: Expat$/,$p' "$doc/copyright" | tail -n +2 | sed -n '/^ /p' | sed 's/^ //; s/^\.$//')
[ "$terms" = "$(sed -n '/^Permission is hereby granted/,$p' "$FIZZLET_SOURCE_DIR/LICENSE")" ] ||
  fail "the copyright file's licence text is not LICENSE's"
head -n 1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
  fail "the copyright file is not in Debian's machine-readable format"

program="$root/usr/libexec/xscreensaver/fizzlet"
[ "$("$program" --version 2>&1)" = "fizzlet $version" ] || fail "the unpacked program says: $("$program" --version 2>&1)"
manual=$(LC_ALL=C MANWIDTH=200 man -l "$root/usr/share/man/man6/fizzlet.6.gz" 2>&1) || fail "man cannot show the page"
options=$("$program" --help | grep -oE '^ +-{1,2}[a-z-]+(, -{1,2}[a-z-]+)?' | tr ',' '\n' | tr -d ' ')
[ "$(wc -l <<<"$options")" -ge 10 ] || fail "too few options read from --help: $options"
for option in $options; do
  grep -qF -e "$option" <<<"$manual" || fail "the man page does not describe $option"
done

echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, Installed-Size $(field Installed-Size) KiB"
echo "Depends: $(field Depends)"
[ "$failures" -eq 0 ] || exit 1
echo "PASS"
