#!/usr/bin/env bash
# Times tabulo-cli as a user starts it (the whole process) on a 10,000-line year:
# check, export summary, ledger, trial-balance and journal (hledger), print of an item with 2,000 lines (50 pages) and
# of the summary. Beside it, in the same run and interleaved with it, the peers that
# are installed: ledger and hledger (`bal --monthly` on the same year written as a
# journal) and, with TABULO_BASE_CLI=/path/to/tabulo-cli, another build to compare.
# Prints the median wall time of each over 15 runs, then the instructions of one run
# of each under callgrind when valgrind is installed. Run by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TABULO_BUILD_DIR:-build}"
cmake --build "$build_dir" --target tabulo-cli bench_CliProcess bench_write_year -j2 >/dev/null
"$build_dir/bench/bench_CliProcess" --benchmark_repetitions=15 \
    --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true --benchmark_filter="${1:-.}" |
    grep -E "^(Benchmark|-|.*_(median|stddev))"

if command -v valgrind >/dev/null 2>&1; then
    year="$(mktemp -d)"
    trap 'rm -rf "$year"' EXIT
    "$build_dir/bench/bench_write_year" "$year"
    instructions() {
        valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
            sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
    }
    printf '%-44s %14s\n' "one run under callgrind" "instructions"
    # Each command on the year (or, for the last three, the year with 20,000 changes
    # in its history); --version is the floor every command stands on.
    for cmd in "--version" "check" "export summary" "export journal --format hledger" \
        "check HISTORY" "history HISTORY"; do
        folder="$year/KEIRIDATA"
        case "$cmd" in
        --version) folder= ;;
        *HISTORY) cmd="${cmd% HISTORY}" folder="$year/KEIRIDATA-HISTORY" ;;
        esac
        label="tabulo-cli $cmd${folder:+ ${folder##*/}}"
        # shellcheck disable=SC2086
        printf '%-44s %14s\n' "$label" \
            "$(instructions "$build_dir/cli/tabulo-cli" $cmd $folder)"
        if [ -n "${TABULO_BASE_CLI:-}" ]; then
            # shellcheck disable=SC2086
            printf '%-44s %14s\n' "base $label" \
                "$(instructions "$TABULO_BASE_CLI" $cmd $folder)"
        fi
    done
    for peer in ledger hledger; do
        if command -v "$peer" >/dev/null 2>&1; then
            printf '%-44s %14s\n' "$peer bal --monthly" \
                "$(instructions "$(command -v "$peer")" -f "$year/year.ledger" bal --monthly)"
        fi
    done
fi
