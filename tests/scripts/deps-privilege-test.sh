#!/usr/bin/env bash
# What scripts/deps.sh runs to install the missing packages, for a root shell, a user
# with sudo and a user without it, checked with stand-ins for id, dpkg-query, apt-get,
# sudo and su on a PATH of their own: nothing is installed.
set -uo pipefail
src="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/../support/script-checks.sh"

# make_path DIR [with-sudo]: the stand-ins and the few real tools the script uses.
make_path() {
    local bin="$1"
    mkdir -p "$bin"
    for tool in bash env grep cat; do ln -s "$(command -v "$tool")" "$bin/$tool"; done
    # Every package is missing.
    printf '#!%s\nexit 1\n' "$(command -v bash)" >"$bin/dpkg-query"
    printf '#!%s\n[ "$1" = -u ] && echo "$FAKE_UID"\n' "$(command -v bash)" >"$bin/id"
    # Each stand-in notes its arguments; sudo and su then run what they were given.
    # FAKE_APT_RC makes apt-get fail as it does (100); FAKE_SU_REFUSE makes su refuse
    # the password as it does (1, nothing run).
    printf '#!%s\necho "apt-get $*" >>"$LOG"\nexit "${FAKE_APT_RC:-0}"\n' "$(command -v bash)" >"$bin/apt-get"
    printf '#!%s\necho "su $*" >>"$LOG"\n[ -n "${FAKE_SU_REFUSE:-}" ] && exit 1\n[ "$1" = root ] && [ "$2" = -c ] && exec bash -c "$3"\nexit 1\n' \
        "$(command -v bash)" >"$bin/su"
    if [ "${2:-}" = with-sudo ]; then
        printf '#!%s\necho "sudo $*" >>"$LOG"\nexec "$@"\n' "$(command -v bash)" >"$bin/sudo"
    fi
    # Only the stand-ins: chmod on the links would reach the real tools, which a user
    # who is not root may not change.
    local f
    for f in "$bin"/*; do [ -L "$f" ] || chmod +x "$f"; done
}

# run_case NAME UID SUDO OPTIONS...: runs deps.sh, keeps its output and the log.
run_case() {
    local name="$1" uid="$2" sudo="$3"
    shift 3
    local dir="$work/$name"
    make_path "$dir/bin" "$sudo"
    : >"$dir/log"
    env -i PATH="$dir/bin" LOG="$dir/log" FAKE_UID="$uid" FAKE_APT_RC="${FAKE_APT_RC:-0}" \
        FAKE_SU_REFUSE="${FAKE_SU_REFUSE:-}" \
        "$(command -v bash)" "$src/scripts/deps.sh" "$@" >"$dir/out" 2>&1
    echo $? >"$dir/rc"
}
log_is() { diff <(printf '%s\n' "${@:2}") "$work/$1/log" >/dev/null; }
out_has() { grep -qF -- "$2" "$work/$1/out"; }
rc_is() { [ "$(cat "$work/$1/rc")" = "$2" ]; }

program="build-essential cmake ninja-build ccache pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libfontconfig-dev fonts-ipafont-mincho fonts-ipafont-gothic qt6-translations-l10n"
tests="libgtest-dev libgmock-dev libbenchmark-dev pkg-config libxcb1-dev poppler-utils fonts-noto-mono fonts-droid-fallback fonts-urw-base35"
install_line="env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends"

run_case root 0 with-sudo
expect root "apt-get runs directly, without sudo" log_is root \
    "apt-get update -qq" "apt-get install -y -qq --no-install-recommends $program"
expect root "the program's packages only, no test tools" sh -c "! grep -q gtest '$work/root/log'"
expect root "says what it installs and why" out_has root "installing $program (to build and run Tabulo)"
expect root "succeeds" rc_is root 0

run_case sudo 1000 with-sudo
expect sudo "apt-get runs through sudo" log_is sudo \
    "sudo apt-get update -qq" "apt-get update -qq" \
    "sudo $install_line $program" "apt-get install -y -qq --no-install-recommends $program"
expect sudo "succeeds" rc_is sudo 0

run_case nosudo 1000 no-sudo
expect nosudo "one su runs both steps as root" log_is nosudo \
    "su root -c apt-get update -qq && $install_line $program " \
    "apt-get update -qq" "apt-get install -y -qq --no-install-recommends $program"
expect nosudo "one line says what is installed, why, and that su asks for the root password" \
    out_has nosudo "installing $program (to build and run Tabulo) with apt-get as root; su asks for the root password"
expect nosudo "no 'command not found'" sh -c "! grep -q 'not found' '$work/nosudo/out'"
expect nosudo "succeeds" rc_is nosudo 0

# A refused root password and an apt-get that cannot install (no network, a full disk)
# each end with status 1 and a line that names what went wrong.
FAKE_SU_REFUSE=1 run_case refused 1000 no-sudo
expect refused "a refused password runs no apt-get" log_is refused \
    "su root -c apt-get update -qq && $install_line $program "
expect refused "says su failed" out_has refused "deps.sh: su failed (a wrong root password?)"
expect refused "fails" rc_is refused 1
FAKE_APT_RC=100 run_case aptfails 1000 no-sudo
expect aptfails "stops after the failed update" log_is aptfails \
    "su root -c apt-get update -qq && $install_line $program " "apt-get update -qq"
expect aptfails "says apt-get failed, not su" sh -c \
    "grep -qF 'deps.sh: apt-get could not install the packages' '$work/aptfails/out' && ! grep -q 'su failed' '$work/aptfails/out'"
expect aptfails "fails" rc_is aptfails 1

run_case tests 1000 no-sudo --tests
expect tests "--tests adds the test tools and the desktop fonts" \
    grep -qF -- "$program $tests" "$work/tests/log"
expect tests "says it is for the tests" out_has tests "(to build and run Tabulo and its tests)"

run_case unknown 0 no-sudo --frobnicate
expect unknown "an unknown option is refused with status 2" rc_is unknown 2
expect unknown "and installs nothing" test ! -s "$work/unknown/log"

# run.sh as a user without sudo on a fresh source tree: the program's packages through
# su, a build folder configured without the tests and benchmarks, only the program's
# targets built, then the program started with the arguments given.
run_script() {  # run_script NAME ARGS...: run.sh with cmake standing in for the build
    local name="$1" dir="$work/$1"
    shift
    make_path "$dir/bin" no-sudo
    for tool in dirname nproc mkdir chmod; do ln -s "$(command -v "$tool")" "$dir/bin/$tool"; done
    printf '#!%s\necho "cmake $*" >>"$LOG"\nif [ "$1" = --build ]; then mkdir -p "$2/shell"; printf "#!%s\\necho \\"tabulo \\$*\\" >>\\"\\$LOG\\"\\n" "$(command -v bash)" >"$2/shell/tabulo"; chmod +x "$2/shell/tabulo"; fi\n' \
        "$(command -v bash)" >"$dir/bin/cmake"
    chmod +x "$dir/bin/cmake"
    : >>"$dir/log"
    env -i PATH="$dir/bin" LOG="$dir/log" FAKE_UID=1000 TABULO_BUILD_DIR="$dir/build" \
        ${RUN_ENV:-} "$(command -v bash)" "$src/scripts/run.sh" "$@" >"$dir/out" 2>&1
    echo $? >"$dir/rc"
}
run_script run --check-install
expect run "installs the program's packages through su, configures without tests, builds the program, starts it" log_is run \
    "su root -c apt-get update -qq && $install_line $program " \
    "apt-get update -qq" "apt-get install -y -qq --no-install-recommends $program" \
    "cmake -S . -B $work/run/build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTABULO_BUILD_TESTS=OFF -DTABULO_BUILD_BENCH=OFF" \
    "cmake --build $work/run/build --parallel $(nproc) --target tabulo --target tabulo-cli" \
    "tabulo --check-install"
expect run "succeeds" rc_is run 0

# A build folder that already exists keeps its settings (the tests stay on once
# scripts/test.sh turned them on); only the program is built.
mkdir -p "$work/again/build" && touch "$work/again/build/CMakeCache.txt"
run_script again --check-install
expect again "an existing build folder is not configured again" log_is again \
    "su root -c apt-get update -qq && $install_line $program " \
    "apt-get update -qq" "apt-get install -y -qq --no-install-recommends $program" \
    "cmake --build $work/again/build --parallel $(nproc) --target tabulo --target tabulo-cli" \
    "tabulo --check-install"

# Started without arguments where there is no display, the program is built but not
# started (Qt would abort with advice to reinstall); with a display it starts.
run_script nodisplay
expect nodisplay "builds the program but does not start it" sh -c \
    "grep -q 'cmake --build' '$work/nodisplay/log' && ! grep -q '^tabulo' '$work/nodisplay/log'"
expect nodisplay "says there is no display" out_has nodisplay "there is no display to open its window on"
expect nodisplay "fails" rc_is nodisplay 1
RUN_ENV="DISPLAY=:0" run_script display
expect display "with a display the program starts" grep -qx "tabulo " "$work/display/log"
expect display "succeeds" rc_is display 0

[ "$failed" -eq 0 ]
