#!/bin/sh
# Remakes docs/editor.png, the picture at the top of the README: the main window and the effect
# window linked to the built-in simulated pedal, drawn offscreen (no display needed).
# Usage: scripts/make-readme-picture.sh [LOOK]   (run from the source tree; builds what it needs)
set -eu
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
make --no-print-directory deps "$BUILD_DIR/build.ninja" >/dev/null
cmake --build "$BUILD_DIR" --target korvanne-readme-picture
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/korvanne-readme-picture" docs/editor.png "${1:-1}"
echo "docs/editor.png written"
