#!/usr/bin/env bash
# Builds the Debian package of Tabulo with CPack from the build in build/ (or
# $TABULO_BUILD_DIR) and prints where it is. Its library dependencies come from
# dpkg-shlibdeps. Install it with: sudo apt-get install ./build/package/tabulo_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${TABULO_BUILD_DIR:-build}"
bash scripts/deps.sh --package
bash scripts/build.sh
out="$build_dir/package"
rm -rf "$out"
mkdir -p "$out"
(cd "$build_dir" && cpack -G DEB -B "$PWD/package" >package/cpack.log 2>&1) || {
    cat "$out/cpack.log" >&2
    echo "package.sh: cpack failed" >&2
    exit 1
}
deb=("$out"/tabulo_*.deb)
[ -f "${deb[0]}" ] || { echo "package.sh: cpack made no .deb" >&2; exit 1; }
echo "Built ${deb[0]}"
