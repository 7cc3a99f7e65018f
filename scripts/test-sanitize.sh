#!/usr/bin/env bash
# Builds Tabulo and its tests with the address and undefined-behaviour sanitizers into
# build-sanitize/ (or $TABULO_SANITIZE_DIR) and runs the tests (form tests offscreen).
# The standard library's container checks are on: an index outside a container or an
# empty container's front() stops the process (_GLIBCXX_ASSERTIONS), and a vector's
# bytes between its size and its capacity count as not there for the address
# sanitizer (_GLIBCXX_SANITIZE_VECTOR), so that reading past the end of a vector that
# shrank is found too. The first report of either sanitizer ends the process that
# made it, so that the test fails. Arguments go to ctest, for example:
#   scripts/test-sanitize.sh                 every test
#   scripts/test-sanitize.sh -R 'CliRun|LedgerFile'  only the tests whose names match
# TABULO_SANITIZE_TARGETS="store_dataset_test cli_e2e_test" builds only those targets
# (with what they need) instead of everything.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TABULO_SANITIZE_DIR:-build-sanitize}"
bash scripts/deps.sh
generator=()
if [ ! -f "$build_dir/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
containers="-D_GLIBCXX_ASSERTIONS -D_GLIBCXX_SANITIZE_VECTOR"
# The instrumented code makes GCC's flow warnings see ghosts inside the standard
# library; the plain build keeps them.
quiet="-Wno-maybe-uninitialized -Wno-stringop-overflow -Wno-stringop-overread -Wno-array-bounds -Wno-restrict -Wno-alloc-size-larger-than"
# Configured every time, so that a folder made before a flag was added gets it too.
cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$sanitize $containers $quiet" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DTABULO_BUILD_BENCH=OFF >/dev/null
targets=()
for t in ${TABULO_SANITIZE_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build_dir" --parallel "$(nproc)" "${targets[@]}"
# Leaks are not looked for: Qt and fontconfig keep caches until the process ends.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0:strict_string_checks=1:detect_stack_use_after_return=1:detect_container_overflow=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$build_dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 900 "$@"
