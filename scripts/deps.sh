#!/usr/bin/env bash
# Installs the Debian packages that building and running Tabulo need, when any of them
# is missing. Options (any of them, together):
#   --tests    what building and running the tests and benchmarks adds (scripts/test.sh)
#   --gui      an X server for looking at the program without a desktop (Xvfb)
#   --package  what building and checking the .deb needs (scripts/package.sh), and
#              what the full test run needs besides (hledger reads the exported journal)
#   --ime      what scripts/check-ime.sh needs: Xvfb, ibus with mozc, xdotool
#   --fcitx5   with --ime: fcitx5 with mozc and its Qt 6 front end
#   --fuzz     clang, for the libFuzzer targets (scripts/fuzz.sh)
#
# Installing needs root: as root apt-get runs directly, with sudo through sudo, and
# without sudo through `su -c`, which asks for the root password once.
set -euo pipefail

# The program: the compiler and build tools, Qt 6, the Japanese fonts it draws with.
packages=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev
    fonts-ipafont-mincho fonts-ipafont-gothic
    qt6-translations-l10n
)
why="to build and run Tabulo"
for option in "$@"; do
    case "$option" in
        # The extra fonts are those a desktop brings: the form tests run once more
        # with them, as a user's machine would have them.
        --tests)
            packages+=(libgtest-dev libgmock-dev libbenchmark-dev pkg-config libxcb1-dev poppler-utils
                fonts-noto-mono fonts-droid-fallback fonts-urw-base35)
            why="to build and run Tabulo and its tests" ;;
        --gui) packages+=(xvfb xauth) ;;
        --package) packages+=(dpkg-dev file lintian desktop-file-utils appstream hledger ledger) ;;
        --ime) packages+=(xvfb xauth dbus-x11 ibus ibus-mozc xdotool imagemagick) ;;
        --fcitx5) packages+=(fcitx5 fcitx5-mozc fcitx5-frontend-qt6) ;;
        --fuzz) packages+=(clang) ;;
        *) echo "deps.sh: unknown option $option" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

update=(apt-get update -qq)
install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}")
if [ "$(id -u)" -eq 0 ]; then
    echo "deps.sh: installing ${missing[*]} ($why)"
    "${update[@]}"
    "${install[@]}"
elif command -v sudo >/dev/null 2>&1; then
    echo "deps.sh: installing ${missing[*]} ($why); sudo may ask for your password"
    sudo "${update[@]}"
    sudo "${install[@]}"
else
    # A Debian installed with a root password has no sudo: su runs both steps as root.
    echo "deps.sh: installing ${missing[*]} ($why) with apt-get as root; su asks for the root password"
    printf -v command '%q ' "${update[@]}"
    printf -v install_command '%q ' "${install[@]}"
    # su ends with 1 when the password is refused; apt-get ends with 100 on any error.
    status=0
    su root -c "$command&& $install_command" || status=$?
    if [ "$status" -eq 100 ]; then
        echo "deps.sh: apt-get could not install the packages (see its messages above); install them as root, then run this again" >&2
        exit 1
    elif [ "$status" -ne 0 ]; then
        echo "deps.sh: su failed (a wrong root password?); run this again, or install the packages above as root" >&2
        exit 1
    fi
fi
