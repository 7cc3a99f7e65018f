#!/usr/bin/env bash
# Installs what is missing, builds Tabulo and runs every test (form tests offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
cd "${TABULO_BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300
