#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh built (or the .deb given as the
# first argument): its dependencies, its file list, the menu entry, the icons, the
# AppStream metadata, the shipped layouts and help book, lintian, and that the
# unpacked program starts on the offscreen platform with a fresh program folder and
# finds its shipped files there.
set -uo pipefail
cd "$(dirname "$0")/.."
src="$PWD"
build_dir="${TABULO_BUILD_DIR:-build}"
app_id="jp.tabulo.Tabulo"

deb="${1:-}"
if [ -z "$deb" ]; then
    debs=("$build_dir"/package/tabulo_*.deb)
    deb="${debs[0]}"
fi
if [ ! -f "$deb" ]; then
    echo "check-package.sh: no package at $deb (run scripts/package.sh first)" >&2
    exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"
passed=0
failed=0
# check DESCRIPTION COMMAND...: runs the command quietly, shows its output on failure.
check() {
    local what="$1"
    shift
    local out
    if out="$("$@" 2>&1)"; then
        passed=$((passed + 1))
        echo "ok    $what"
    else
        failed=$((failed + 1))
        echo "FAIL  $what"
        [ -n "$out" ] && printf '%s\n' "$out" | sed 's/^/      /'
    fi
}
has_line() { grep -qxF -- "$2" "$1"; }
# The width and height of a PNG from its IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{printf "%dx%d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}'; }
png_is() { [ "$(png_size "$1")" = "$2" ] || { echo "$1 is $(png_size "$1"), not $2"; return 1; }; }
same_files() {  # same_files SOURCE_FOLDER INSTALLED_FOLDER PATTERN...
    local from="$1" to="$2" f n=0
    shift 2
    for pattern in "$@"; do
        for f in "$from"/$pattern; do
            [ -f "$f" ] || continue
            n=$((n + 1))
            cmp -s "$f" "$to/$(basename "$f")" || { echo "$(basename "$f") is missing or differs in $to"; return 1; }
        done
    done
    echo "$n files"
}

echo "Package: $deb"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends Suggests | sed 's/^/  /'
depends="$(dpkg-deb -f "$deb" Depends)"
for dep in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
    fonts-ipafont-mincho fonts-ipafont-gothic; do
    check "depends on $dep" grep -qE "(^|, )$dep( |,|$)" <<<"$depends"
done
# The running-copy check uses a plain socket: Qt's network library is not needed.
check "does not depend on libqt6network6" \
    bash -c '! grep -qE "(^|, )libqt6network6( |,|$)" <<<"$1"' _ "$depends"

dpkg-deb -x "$deb" "$root"
(cd "$root" && find . -type f -o -type l | sed 's|^\./|/|' | sort) >"$work/files"
check "/usr/bin/tabulo is an executable" test -x "$root/usr/bin/tabulo"
check "no build-tree files beside the executable" test ! -e "$root/usr/bin/help"
check "nothing outside /usr" sh -c "! grep -v '^/usr/' '$work/files'"

desktop="$root/usr/share/applications/$app_id.desktop"
check "menu entry /usr/share/applications/$app_id.desktop" test -f "$desktop"
check "desktop-file-validate accepts the menu entry" desktop-file-validate "$desktop"
check "menu entry Name=Tabulo" has_line "$desktop" "Name=Tabulo"
check "menu entry Name[ja]=会計処理" has_line "$desktop" "Name[ja]=会計処理"
check "menu entry has a Japanese comment" grep -q '^Comment\[ja\]=..' "$desktop"
check "menu entry Categories=Office;Finance;" has_line "$desktop" "Categories=Office;Finance;"
exec_cmd="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
check "menu entry starts /usr/bin/$exec_cmd" test -x "$root/usr/bin/$exec_cmd"
icon="$(sed -n 's/^Icon=//p' "$desktop")"
hicolor="$root/usr/share/icons/hicolor"
check "scalable icon $icon.svg" grep -q '<svg' "$hicolor/scalable/apps/$icon.svg"
check "48 px icon is 48 x 48" png_is "$hicolor/48x48/apps/$icon.png" 48x48
check "256 px icon is 256 x 256" png_is "$hicolor/256x256/apps/$icon.png" 256x256

metainfo="$root/usr/share/metainfo/$app_id.metainfo.xml"
check "AppStream metadata /usr/share/metainfo/$app_id.metainfo.xml" test -f "$metainfo"
check "appstreamcli validate accepts the metadata" appstreamcli validate --no-net "$metainfo"
check "the metadata launches the menu entry" grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo"

share="$root/usr/share/tabulo"
check "help book contents page" test -s "$share/help/index.html"
check "every help page of the source is shipped unchanged" same_files "$src/help" "$share/help" '*.html' '*.css' '*.png'
# The layouts come as FORM/*.FRW; every one of the source folder must be shipped.
check "every layout file of the source is shipped unchanged" same_files "$src/FORM" "$share/FORM" '*.FRW' '*.frw'
check "copyright and changelog" test -f "$root/usr/share/doc/tabulo/copyright" -a -f "$root/usr/share/doc/tabulo/changelog.gz"

# The unpacked program, with a fresh program folder, finds /usr/share/tabulo of the
# unpacked tree (not a build folder) and copies the help book in.
home="$work/home"
check_out="$(TABULO_HOME="$home" QT_QPA_PLATFORM=offscreen timeout 60 "$root/usr/bin/tabulo" --check-install 2>&1)"
check_rc=$?
printf '%s\n' "$check_out" | sed 's/^/  | /'
check "tabulo --check-install passes" test "$check_rc" -eq 0
check "it takes the shipped files from the unpacked /usr/share/tabulo" \
    grep -qxF "shipped files: $root/usr/share/tabulo" <<<"$check_out"
check "the fresh program folder now holds the help book" cmp -s "$share/help/index.html" "$home/help/index.html"
# A normal start must stay up (start-up window, then the main window) until stopped.
TABULO_HOME="$work/home2" QT_QPA_PLATFORM=offscreen timeout 5 "$root/usr/bin/tabulo" >"$work/run.log" 2>&1
run_rc=$?
check "a normal start keeps running until it is stopped" sh -c "[ $run_rc -eq 124 ] || { echo 'exit status $run_rc'; cat '$work/run.log'; exit 1; }"

# lintian: no error. Warnings and notes are shown, not counted.
lintian_out="$(lintian --fail-on error "$deb" 2>&1)"
lintian_rc=$?
printf '%s\n' "$lintian_out" | grep -E '^[EWIN]:' | sed 's/^/  lintian /'
check "lintian reports no error" test "$lintian_rc" -eq 0

echo "package check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
