#!/usr/bin/env bash
# Installs what the program needs and is missing, builds the program and starts it.
# The tests and benchmarks are neither installed nor built here (scripts/test.sh
# does that, in the same build folder).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TABULO_BUILD_DIR:-build}"
bash scripts/deps.sh
if [ -f "$build_dir/CMakeCache.txt" ]; then
    # An existing build folder keeps its settings; only the program is brought up to date.
    bash scripts/build.sh --target tabulo --target tabulo-cli
else
    bash scripts/build.sh -DTABULO_BUILD_TESTS=OFF -DTABULO_BUILD_BENCH=OFF \
        --target tabulo --target tabulo-cli
fi
# Without a display (a text console, ssh without X forwarding) the window cannot open,
# and Qt's own message would suggest reinstalling. The options that need no window
# (--help, --version, --check-install) still run.
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: the program is built ($build_dir/shell/tabulo) but there is no display to open its window on; run this again in a terminal of the desktop" >&2
    exit 1
fi
exec "$build_dir/shell/tabulo" "$@"
