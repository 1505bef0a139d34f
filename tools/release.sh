#!/usr/bin/env bash
# Builds what a user downloads into build/release/ and checks what each
# package holds (the package_contents and debian_package tests):
#   fizzlet-VERSION-x64.msi, fizzlet-VERSION-x86.msi     Windows Installer
#   fizzlet-VERSION-win64.zip, fizzlet-VERSION-win32.zip for installing by hand
#   fizzlet_VERSION_amd64.deb                            Debian 12 (amd64)
#   SHA256SUMS                                           of all of them
# Installing them under Wine is tested by tools/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh
tools/install-deps.sh

out=build/release
rm -rf "$out"
mkdir -p "$out"

version_of() {  # the project version configured in a build tree
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "build/$1/CMakeCache.txt"
}

# --- Windows: the Installer package and the zip of each architecture -------
windows() {
  local preset="$1" msi_arch="$2" zip_arch="$3" version
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  if [ ! -f "build/$preset/bin/fizzlet.html" ]; then
    echo "release.sh: build/$preset has no about page (fizzlet.html): nothing to ship" >&2
    exit 1
  fi
  build_preset "$preset" --target fizzlet_packages
  ctest --preset "$preset" -R '^package_contents$' --output-on-failure
  version=$(version_of "$preset")
  cp "build/$preset/package/fizzlet-$version-$msi_arch.msi" \
     "build/$preset/package/fizzlet-$version-$zip_arch.zip" "$out/"
}
windows windows x64 win64
windows windows-x86 x86 win32

# --- Debian package ----------------------------------------------------------
# CPack's DEB generator over the native saver's install target
# (packaging/debian); the debian_package test makes it in
# build/linux/package and checks it.
echo "=== linux"
build_preset linux --target fizzlet
ctest --preset linux -R '^debian_package$' --no-tests=error
cp "build/linux/package/fizzlet_$(version_of linux)_amd64.deb" "$out/"

# --- Checksums ---------------------------------------------------------------
(
  cd "$out"
  shopt -s nullglob
  sha256sum -- *.msi *.zip *.deb >SHA256SUMS
)
echo
echo "Release files in $out:"
ls -l "$out"
