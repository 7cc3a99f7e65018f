#!/usr/bin/env bash
# Configures and builds Tabulo into build/ (or $TABULO_BUILD_DIR).
#   build.sh                       everything: the program, the tests, the benchmarks
#   build.sh --target T [...]      only the named targets (and what they need)
#   build.sh -DNAME=VALUE [...]    these CMake settings (also on an existing build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TABULO_BUILD_DIR:-build}"
settings=()
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --target) targets+=(--target "$2"); shift 2 ;;
        -D*) settings+=("$1"); shift ;;
        *) echo "build.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${settings[@]}"
elif [ ${#settings[@]} -gt 0 ]; then
    cmake -S . -B "$build_dir" "${settings[@]}"
fi
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
