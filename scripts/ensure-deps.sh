#!/usr/bin/env bash
# Installs the Debian packages the editor needs to build and test, only those that are missing.
set -euo pipefail
packages=(cmake ninja-build g++ ccache pkg-config qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev)
# `make package` (dpkg-shlibdeps) and the install test (desktop-file-validate).
packages+=(dpkg-dev desktop-file-utils)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then sudo_cmd=(sudo); else
        echo "Missing packages (${missing[*]}) and no root rights to install them." >&2; exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
