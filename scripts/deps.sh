#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tabulo need,
# when any of them is missing. Options (any of them, together):
#   --gui      an X server for looking at the program without a desktop (Xvfb)
#   --package  what building and checking the .deb needs (scripts/package.sh), and
#              what the full test run needs besides (hledger reads the exported journal)
#   --ime      what scripts/check-ime.sh needs: Xvfb, ibus with mozc, xdotool
#   --fcitx5   with --ime: fcitx5 with mozc and its Qt 6 front end
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-ipafont-mincho fonts-ipafont-gothic
    qt6-translations-l10n
    poppler-utils
)
for option in "$@"; do
    case "$option" in
        --gui) packages+=(xvfb xauth) ;;
        --package) packages+=(dpkg-dev file lintian desktop-file-utils appstream hledger) ;;
        --ime) packages+=(xvfb xauth dbus-x11 ibus ibus-mozc xdotool imagemagick) ;;
        --fcitx5) packages+=(fcitx5 fcitx5-mozc fcitx5-frontend-qt6) ;;
        *) echo "deps.sh: unknown option $option" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
