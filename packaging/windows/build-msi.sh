#!/usr/bin/env bash
# Builds a Windows Installer package of Fizzlet with wixl:
#   build-msi.sh ARCH VERSION STAGE ICON OUTPUT
# ARCH is x64 or x86; STAGE is the folder holding what the package installs
# (fizzlet.scr, FZLMUS0.MID to FZLMUS9.MID, fizzlet.html); ICON is shown in the
# list of installed programs.  What wixl cannot express is set afterwards in
# the package's tables with msibuild.
set -euo pipefail
[ $# -eq 5 ] || { echo "usage: $0 x64|x86 VERSION STAGE ICON OUTPUT" >&2; exit 2; }
arch=$1 version=$2 stage=$3 icon=$4 output=$5
case "$arch" in x64 | x86) ;; *) echo "$0: unknown architecture $arch" >&2; exit 2 ;; esac
here=$(cd "$(dirname "$0")" && pwd)
partial="$(realpath "$output").partial"
rm -f "$partial"
# wixl finds source files only by paths relative to where it runs.
(cd "$stage" && wixl --arch "$arch" -D Arch="$arch" -D Version="$version" \
  -D IconFile="$(realpath --relative-to=. "$icon")" -o "$partial" "$here/fizzlet.wxs")
sql() { msibuild "$partial" -q "$1"; }
property() { msiinfo export "$partial" Property | tr -d '\r' | awk -F '\t' -v name="$1" '$1 == name { print $2 }'; }
# The screen-saver choice is installed only while SETSCREENSAVER is "1";
# the property is secure so that it reaches the elevated part of the install.
sql "UPDATE \`Component\` SET \`Condition\` = 'SETSCREENSAVER = \"1\"' WHERE \`Component\` = 'ScreenSaverChoice'"
sql "UPDATE \`Property\` SET \`Value\` = '$(property SecureCustomProperties);SETSCREENSAVER' WHERE \`Property\` = 'SecureCustomProperties'"
# A package of the same version replaces the installed one too (a rebuilt
# package has a new product code), so there is never a second Fizzlet:
# wixl's upgrade row stops below this version; the row that replaces it
# includes it (msidbUpgradeAttributesMigrateFeatures |
# msidbUpgradeAttributesVersionMaxInclusive).  Its attributes are part of its
# key, hence a new row.
upgrade_code=$(property UpgradeCode)
sql "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
sql "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"
mv "$partial" "$output"
