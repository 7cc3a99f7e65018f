#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (installing it when missing) into
# build-fuzz/ (or $TABULO_FUZZ_DIR) and runs each of them for a while.
#   scripts/fuzz.sh            every target, 60 seconds each
#   scripts/fuzz.sh 300        every target, 300 seconds each
#   scripts/fuzz.sh 30 LedgerOps MasterFile   only these targets
# Each target keeps its corpus in build-fuzz/corpus/<target>/ (started from the seeds
# in fuzz/seeds/<target>/); a crash leaves its
# input in build-fuzz/crashes/ and ends the script with a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
build_dir="${TABULO_FUZZ_DIR:-build-fuzz}"

bash scripts/deps.sh --fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for src in fuzz/*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    generator=()
    if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
    CXX=clang++ cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTABULO_BUILD_FUZZ=ON -DTABULO_BUILD_TESTS=OFF -DTABULO_BUILD_BENCH=OFF
fi
cmake --build "$build_dir" --parallel "$(nproc)" --target "${targets[@]/#/fuzz_}"

mkdir -p "$build_dir/crashes"
for t in "${targets[@]}"; do
    corpus="$build_dir/corpus/$t"
    mkdir -p "$corpus"
    echo "== fuzz_$t for ${seconds}s"
    seeds=()
    if [ -d "fuzz/seeds/$t" ]; then seeds=("fuzz/seeds/$t"); fi
    "$build_dir/fuzz/fuzz_$t" "$corpus" "${seeds[@]}" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build_dir/crashes/$t-"
done
