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
exec "$build_dir/shell/tabulo" "$@"
