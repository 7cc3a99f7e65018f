#!/usr/bin/env bash
# Installs what is missing, builds Tabulo, builds and checks its Debian package, and
# runs every test (form tests offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --package
bash scripts/build.sh
package_rc=0
{ bash scripts/package.sh && bash scripts/check-package.sh; } || package_rc=$?
cd "${TABULO_BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300
if [ "$package_rc" -ne 0 ]; then
    echo "The package check failed (see above)." >&2
    exit "$package_rc"
fi
