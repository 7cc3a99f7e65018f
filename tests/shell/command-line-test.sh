#!/usr/bin/env bash
# `tabulo --help`, `--version`, `--check-install` and an unknown option, run where no
# display can be had: each prints, ends with its status and loads no Qt GUI platform
# (the xcb platform without a display would abort the program).
# Usage: command-line-test.sh TABULO
set -uo pipefail
tabulo="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../support/script-checks.sh"
run() {  # run NAME LANG ARGS...: status, standard output and standard error kept
    local name="$1" lang="$2"
    shift 2
    env -u DISPLAY -u WAYLAND_DISPLAY -u LC_ALL -u LC_MESSAGES QT_QPA_PLATFORM=xcb LANG="$lang" \
        TABULO_HOME="$work/home-$name" "$tabulo" "$@" >"$work/$name.out" 2>"$work/$name.err"
    echo $? >"$work/$name.rc"
}
rc_is() { [ "$(cat "$work/$1.rc")" = "$2" ]; }
first_line() { [ "$(head -n1 "$work/$1.$2")" = "$3" ]; }
has() { grep -qF -- "$3" "$work/$1.$2"; }
empty() { [ ! -s "$work/$1.$2" ]; }

run help C.UTF-8 --help
expect help "exits 0" rc_is help 0
expect help "prints the usage in English" first_line help out "Usage: tabulo [--check-install | --help | --version]"
expect help "says nothing on standard error" empty help err
expect help "makes no program folder" test ! -e "$work/home-help"

run help_ja ja_JP.UTF-8 -h
expect help_ja "prints the usage in Japanese under a Japanese locale" first_line help_ja out "使い方: tabulo [--check-install | --help | --version]"
expect help_ja "exits 0" rc_is help_ja 0

run version C.UTF-8 --version
expect version "prints the version" first_line version out "tabulo $2"
expect version "exits 0" rc_is version 0
expect version "says nothing on standard error" empty version err

run check C.UTF-8 --check-install
expect check "exits 0" rc_is check 0
expect check "says what it found" has check out "install check passed"
expect check "copied the help book into the program folder" test -s "$work/home-check/help/index.html"
expect check "says nothing on standard error" empty check err

run unknown C.UTF-8 --frobnicate
expect unknown "exits 2" rc_is unknown 2
expect unknown "names the option" first_line unknown err "tabulo: unknown option: --frobnicate"
expect unknown "and shows the usage" has unknown err "Usage: tabulo"
expect unknown "prints nothing on standard output" empty unknown out

run stray C.UTF-8 notes.txt
expect stray "an argument that is not an option is refused too" rc_is stray 2

run qt_value C.UTF-8 -style
expect qt_value "a Qt option without its value is refused" rc_is qt_value 2

[ "$failed" -eq 0 ]
