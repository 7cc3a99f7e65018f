#!/usr/bin/env bash
# Installs what is missing, builds Tabulo with its tests and benchmarks, builds and
# checks its Debian package, and runs every test (form tests offscreen, once with a
# minimal font set and once with a desktop's).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --tests --package
# A build folder that scripts/run.sh made has the tests off: they are turned on here.
bash scripts/build.sh -DTABULO_BUILD_TESTS=ON -DTABULO_BUILD_BENCH=ON
package_rc=0
{ bash scripts/package.sh && bash scripts/check-package.sh; } || package_rc=$?
cd "${TABULO_BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300
if [ "$package_rc" -ne 0 ]; then
    echo "The package check failed (see above)." >&2
    exit "$package_rc"
fi
