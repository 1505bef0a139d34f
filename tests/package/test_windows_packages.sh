#!/usr/bin/env bash
# What the Windows packages of one architecture hold, without installing them
# (the x86 package cannot be installed by this 64-bit-only Wine):
# - fizzlet.scr is stripped, under 1 MB, carries the project's version and
#   imports only DLLs that every Windows has;
# - the zip holds exactly the shipped files and INSTALL.txt (CRLF lines);
# - the Windows Installer package's tables: the files and where they go, the
#   screen-saver choice and its property, the version, the upgrade rows; and
#   its cabinet holds the staged files byte for byte.
# ctest gives FIZZLET_PACKAGE_STAGE, FIZZLET_MSI, FIZZLET_ZIP, FIZZLET_MSI_ARCH
# (x64 or x86), FIZZLET_VERSION and OBJDUMP; exit 77 (skipped) when the
# packages are not built.
set -u
[ "${FIZZLET_PACKAGES_BUILT:-ON}" = ON ] || { echo "SKIP: the packages are not built (no about page)"; exit 77; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
stage=$FIZZLET_PACKAGE_STAGE msi=$FIZZLET_MSI zip=$FIZZLET_ZIP arch=$FIZZLET_MSI_ARCH version=$FIZZLET_VERSION
tmp=$(mktemp -d /tmp/fizzlet-packages.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

shipped="fizzlet.html fizzlet.scr FZLMUS0.MID FZLMUS1.MID FZLMUS2.MID FZLMUS3.MID FZLMUS4.MID
FZLMUS5.MID FZLMUS6.MID FZLMUS7.MID FZLMUS8.MID FZLMUS9.MID"
sorted() { tr ' ' '\n' | sed '/^$/d' | LC_ALL=C sort; }

# --- fizzlet.scr -------------------------------------------------------------
scr="$stage/fizzlet.scr"
"$OBJDUMP" -t "$scr" | grep -q '^no symbols' || fail "fizzlet.scr has a symbol table"
"$OBJDUMP" -h "$scr" | grep -q '\.debug' && fail "fizzlet.scr has debug sections"
# DLLs of Windows itself; anything else would have to ship beside the saver.
allowed="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll
ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll winmm.dll"
imports=$("$OBJDUMP" -p "$scr" | awk '/DLL Name:/ { print tolower($3) }')
[ -n "$imports" ] || fail "no import table read from fizzlet.scr"
for dll in $imports; do
  echo "$allowed" | tr ' ' '\n' | grep -qx "$dll" || fail "fizzlet.scr imports $dll, which is not part of Windows"
done
strings -el "$scr" | grep -qx "$version" || fail "fizzlet.scr's version block does not say $version"
# About 650 KB today; far more means something heavy came in by accident
# (the C++ stream library alone is some 600 KB).
size=$(stat -c %s "$scr")
[ "$size" -le 1048576 ] || fail "fizzlet.scr is $size bytes: what made it grow past 1 MB?"
echo "fizzlet.scr: $size bytes, imports $(echo "$imports" | tr '\n' ' ')"

# --- zip ---------------------------------------------------------------------
[ "$(unzip -Z1 "$zip" | sorted)" = "$(echo "$shipped INSTALL.txt" | sorted)" ] ||
  fail "$(basename "$zip") holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"
unzip -q "$zip" -d "$tmp/zip" || fail "cannot unpack the zip"
for file in $shipped; do
  cmp -s "$stage/$file" "$tmp/zip/$file" || fail "$file in the zip differs from the staged one"
done
notes="$tmp/zip/INSTALL.txt"
[ "$(grep -c $'\r$' "$notes")" -eq "$(wc -l <"$notes")" ] || fail "INSTALL.txt has lines without CRLF"
grep -q "Fizzlet Screen Saver $version" "$notes" || fail "INSTALL.txt does not name version $version"

# --- Windows Installer package -----------------------------------------------
table() { msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4; }
column() { awk -F '\t' -v n="$1" '{ print $n }'; }
long_name() { sed 's/.*|//'; }
if [ "$arch" = x64 ]; then
  folder=System64Folder template='x64;1033' component_bits=256
else
  folder=SystemFolder template='Intel;1033' component_bits=0
fi
[ "$(table File | column 3 | long_name | sorted)" = "$(echo "$shipped" | sorted)" ] ||
  fail "the package installs: $(table File | column 3 | tr '\n' ' ')"
# Component rows: name, id, folder, attributes, condition, key path.
while IFS='|' read -r name dir attributes condition; do
  [ "$dir" = "$folder" ] || fail "component $name goes to $dir, not $folder"
  [ $((attributes & 256)) -eq "$component_bits" ] || fail "component $name: attributes $attributes for $arch"
  case "$name" in
  ScreenSaverChoice) [ "$condition" = 'SETSCREENSAVER = "1"' ] || fail "screen-saver choice condition: '$condition'" ;;
  *) [ -z "$condition" ] || fail "component $name has a condition" ;;
  esac
done < <(table Component | awk -F '\t' '{ print $1 "|" $3 "|" $4 "|" $5 }')
[ "$(table Registry | cut -f 2-6)" = $'1\tControl Panel\\Desktop\tSCRNSAVE.EXE\t[#fizzlet.scr]\tScreenSaverChoice' ] ||
  fail "registry rows: $(table Registry)"
property() { table Property | awk -F '\t' -v name="$1" '$1 == name { print $2 }'; }
for expected in "ProductVersion=$version" SETSCREENSAVER=1 ALLUSERS=1 \
  "UpgradeCode={6405640F-E2C5-4EFC-85A3-46A59D9B8113}" "ProductName=Fizzlet Screen Saver"; do
  [ "$(property "${expected%%=*}")" = "${expected#*=}" ] || fail "property ${expected%%=*} is '$(property "${expected%%=*}")'"
done
property SecureCustomProperties | tr ';' '\n' | grep -qx SETSCREENSAVER || fail "SETSCREENSAVER is not secure"
# Upgrade rows: version min, version max, attributes, property.
upgrades=$(table Upgrade | awk -F '\t' '{ print $2 "/" $3 "/" $5 "/" $7 }' | sorted)
[ "$upgrades" = "$(printf '%s\n' "$version//2/WIX_DOWNGRADE_DETECTED" "/$version/513/WIX_UPGRADE_DETECTED" | sorted)" ] ||
  fail "upgrade rows: $upgrades"
msiinfo suminfo "$msi" | grep -qx "Template: $template" || fail "platform is not $template"
msiextract -C "$tmp/msi" "$msi" >/dev/null || fail "cannot extract the package"
for file in $shipped; do
  cmp -s "$stage/$file" "$tmp/msi/$file" || fail "$file in the package differs from the staged one"
done
echo "$(basename "$msi"): $(stat -c %s "$msi") bytes; $(basename "$zip"): $(stat -c %s "$zip") bytes"

[ "$failures" -eq 0 ] || exit 1
echo "PASS"
