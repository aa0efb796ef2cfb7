#!/usr/bin/env bash
# Renders the program icon's PNG sizes from its SVG source. The PNGs are
# committed, so only a change of data/icons/vantel.svg needs this script.
#
#   tools/render_icons.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/deps.sh" icons
icons="$here/../data/icons"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$icons/vantel.svg" -o "$icons/vantel-$size.png"
done
