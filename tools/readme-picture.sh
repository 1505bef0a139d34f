#!/usr/bin/env bash
# Makes the README's picture, docs/fizzlet.png: three seconds of the saver as
# an animated PNG, drawn by fizzlet-render (tools/render) from the saver's own
# engine and sprites.  A README picture must stay under 1 MB; with new
# artwork, fewer frames or a smaller screen may be needed.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/lib.sh
. tools/lib.sh
tools/install-deps.sh
build_preset linux --target fizzlet-render
mkdir -p docs
# Frames 151 to 250: the kernels have rolled in, and some pop.
build/linux/bin/fizzlet-render --width 480 --height 180 --kernels 12 --pop-chance 30 \
  --seed 6 --frames 250 --from 151 --apng docs/fizzlet.png
size=$(stat -c %s docs/fizzlet.png)
echo "docs/fizzlet.png: $size bytes"
if [ "$size" -ge 1000000 ]; then
  echo "readme-picture.sh: docs/fizzlet.png is over 1 MB" >&2
  exit 1
fi
