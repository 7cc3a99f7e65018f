#!/usr/bin/env bash
# Times tabulo-cli as a user starts it (the whole process) on a 10,000-line year:
# check, export summary, ledger, trial-balance and journal (hledger), print of an item with 2,000 lines (50 pages) and
# of the summary. Prints the median wall time of each over 15 runs. Run by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TABULO_BUILD_DIR:-build}"
cmake --build "$build_dir" --target tabulo-cli bench_CliProcess -j2 >/dev/null
"$build_dir/bench/bench_CliProcess" --benchmark_repetitions=15 \
    --benchmark_report_aggregates_only=true --benchmark_filter="${1:-.}" |
    grep -E "^(Benchmark|-|Cli.*_(median|stddev))"
