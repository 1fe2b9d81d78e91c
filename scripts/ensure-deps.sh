#!/usr/bin/env bash
# Installs the Debian packages the editor needs to build and test, only those that are missing.
# When another installation holds the package manager (a fresh desktop running its automatic
# updates), it waits for it, saying so, before giving up with a clear sentence.
set -euo pipefail
packages=(cmake ninja-build g++ ccache pkg-config qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev)
# `make package` (dpkg-shlibdeps) and the install test (desktop-file-validate).
packages+=(dpkg-dev desktop-file-utils)
# The simulated bootloader is tested with the stock stm32flash tool.
packages+=(stm32flash)
# Targets that need more (the fuzzers need clang) name it here.
read -r -a extra <<< "${KORVANNE_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")
lock_wait_seconds=${KORVANNE_APT_LOCK_WAIT:-300}
lock_poll_seconds=${KORVANNE_APT_LOCK_POLL:-10}

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

# "5 minutes", "30 seconds".
duration() {
    if [ "$1" -ge 120 ]; then echo "$(($1 / 60)) minutes"; else echo "$1 seconds"; fi
}

# Runs apt-get; while another program holds the package manager's lock, waits and tries again.
apt_get() {
    local waited=0 output status
    while :; do
        status=0
        output=$("${sudo_cmd[@]}" apt-get "$@" 2>&1) || status=$?
        if [ "$status" -eq 0 ]; then
            [ -n "$output" ] && printf '%s\n' "$output"
            return 0
        fi
        if ! grep -qiE 'could not get lock|unable to acquire the dpkg frontend lock|unable to lock' \
            <<<"$output"; then
            printf '%s\n' "$output" >&2
            return "$status"
        fi
        if [ "$waited" -ge "$lock_wait_seconds" ]; then
            echo "Could not install ${missing[*]}: another program has been installing packages" \
                "for over $(duration "$waited") and still holds the package manager." \
                "Let it finish (or restart the machine), then run this again." >&2
            return 1
        fi
        if [ "$waited" -eq 0 ]; then
            echo "Another program is installing packages (perhaps the system's automatic updates);" \
                "waiting up to $(duration "$lock_wait_seconds") for it to finish..."
        fi
        sleep "$lock_poll_seconds"
        waited=$((waited + lock_poll_seconds))
    done
}

apt_get update -qq
apt_get install -y -qq --no-install-recommends "${missing[@]}"
