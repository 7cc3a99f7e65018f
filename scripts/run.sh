#!/usr/bin/env bash
# Installs what is missing, builds Tabulo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
exec "${TABULO_BUILD_DIR:-build}/shell/tabulo" "$@"
