#!/usr/bin/env bash
# Builds Tabulo and its tests with the address and undefined-behaviour sanitizers into
# build-sanitize/ (or $TABULO_SANITIZE_DIR) and runs the tests (form tests offscreen).
# The first report of either sanitizer ends the process that made it, so that the
# test fails. Arguments go to ctest, for example:
#   scripts/test-sanitize.sh                 every test
#   scripts/test-sanitize.sh -R 'CliRun|LedgerFile'  only the tests whose names match
# TABULO_SANITIZE_TARGETS="store_dataset_test cli_e2e_test" builds only those targets
# (with what they need) instead of everything.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TABULO_SANITIZE_DIR:-build-sanitize}"
bash scripts/deps.sh
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    generator=()
    if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
    sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    # The instrumented code makes GCC's flow warnings see ghosts inside the standard
    # library; the plain build keeps them.
    quiet="-Wno-maybe-uninitialized -Wno-stringop-overflow -Wno-stringop-overread -Wno-array-bounds -Wno-restrict -Wno-alloc-size-larger-than"
    cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS="$sanitize $quiet" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
        -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
        -DTABULO_BUILD_BENCH=OFF
fi
targets=()
for t in ${TABULO_SANITIZE_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
# Leaks are not looked for: Qt and fontconfig keep caches until the process ends.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$build_dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 900 "$@"
