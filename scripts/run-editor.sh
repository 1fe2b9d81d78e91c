#!/usr/bin/env bash
# Starts the editor; without a display it says so plainly instead of letting the toolkit abort.
set -euo pipefail
program="$1"; shift
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "The Korvanne Editor is a desktop program and needs a display." >&2
    echo "No display was found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    echo "Run it from a desktop session, or under Xvfb: xvfb-run make run" >&2
    exit 1
fi
exec "$program" "$@"
