#!/usr/bin/env bash
# Renders the editor's icon at the sizes desktop menus ask for, from its SVG. Run by hand after the
# SVG changes (needs rsvg-convert, Debian package librsvg2-bin); the PNGs are kept in the repository
# so building the package needs no renderer.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" korvanne-editor.svg -o "korvanne-editor-$size.png"
done
