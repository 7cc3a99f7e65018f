#!/usr/bin/env bash
# Renders the program icon's PNG sizes from desktop/icons/tabulo.svg. The PNGs are
# committed, so run this after changing the drawing and commit what it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v rsvg-convert >/dev/null 2>&1; then
    echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2
    exit 1
fi
for size in 48 256; do
    mkdir -p "desktop/icons/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" desktop/icons/tabulo.svg \
        -o "desktop/icons/${size}x${size}/tabulo.png"
done
echo "Rendered desktop/icons/{48x48,256x256}/tabulo.png"
