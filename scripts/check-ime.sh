#!/usr/bin/env bash
# By hand, not in CI: checks Japanese input through a real input method. Starts an X
# server (Xvfb), a session bus and ibus-daemon with the mozc engine, starts Tabulo on
# a year copied from the test fixtures, opens the item master, types the romaji
# "kaikei" into the name cell of item 6 through the input method, converts it (Space),
# commits it (Enter), registers the master (F10) and checks that MASTER.DAT holds
# 会計 in CP932. Screenshots of each step are left in the work folder it names.
#
#   bash scripts/check-ime.sh            # ibus and Mozc, the build-tree program
#   bash scripts/check-ime.sh fcitx5     # fcitx5 and Mozc (fcitx5-frontend-qt6)
#   TABULO_EXE=/usr/bin/tabulo bash scripts/check-ime.sh   # an installed program
set -euo pipefail
cd "$(dirname "$0")/.."
src="$PWD"

if [ "${1:-}" != --session ]; then
    im="${1:-ibus}"
    case "$im" in
        ibus) bash scripts/deps.sh --ime ;;
        fcitx5) bash scripts/deps.sh --ime --fcitx5 ;;
        *) echo "usage: check-ime.sh [ibus|fcitx5]" >&2; exit 2 ;;
    esac
    exe="${TABULO_EXE:-$src/${TABULO_BUILD_DIR:-build}/shell/tabulo}"
    [ -x "$exe" ] || { echo "check-ime.sh: no program at $exe (bash scripts/build.sh)" >&2; exit 1; }
    work="$(mktemp -d /tmp/tabulo-ime.XXXXXX)"
    data="$work/home/drives/A/KEIRIDATA"
    mkdir -p "$data" "$work/user/.config/mozc"
    cp "$src"/tests/data/{DATE.DAT,MASTER.DAT,KEIRI13.DAT,YOKIN13.DAT,SHINKOKU.DAT} "$data/"
    # Mozc starts in hiragana input, not in direct input, when the engine comes up.
    cat >"$work/user/.config/mozc/ibus_config.textproto" <<'CONF'
engines {
  name : "mozc-jp"
  longname : "Mozc"
  layout : "default"
  layout_variant : ""
  layout_option : ""
  rank : 80
}
active_on_launch: True
CONF
    # fcitx5: an English keyboard and Mozc, switched on by the script.
    mkdir -p "$work/user/.config/fcitx5"
    cat >"$work/user/.config/fcitx5/profile" <<'CONF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
CONF
    chmod 755 "$work"
    if [ "$(id -u)" -eq 0 ]; then
        # Mozc will not convert for root (its server refuses to run as root and the
        # engine then passes every key through), so the session runs as a plain user.
        id -u tabulo-ime >/dev/null 2>&1 ||
            useradd --system --no-create-home --shell /usr/sbin/nologin tabulo-ime
        chown -R tabulo-ime: "$work"
        exec runuser -u tabulo-ime -- bash "$0" --session "$work" "$exe" "$im"
    fi
    exec bash "$0" --session "$work" "$exe" "$im"
fi
work="$2"
exe="$3"
im="$4"
home="$work/home"
data="$home/drives/A/KEIRIDATA"

export HOME="$work/user" XDG_CONFIG_HOME="$work/user/.config" XDG_CACHE_HOME="$work/user/.cache"
export LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
if [ "$im" = fcitx5 ]; then
    export QT_IM_MODULE=fcitx XMODIFIERS=@im=fcitx GTK_IM_MODULE=fcitx
else
    export QT_IM_MODULE=ibus XMODIFIERS=@im=ibus GTK_IM_MODULE=ibus
fi
export DISPLAY=":${TABULO_IME_DISPLAY:-87}"

pids=()
cleanup() {
    [ "$im" = ibus ] && ibus exit >/dev/null 2>&1 || true
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
    # Mozc's server, ibus' helpers and the accessibility bus outlive the daemons that
    # started them; as the session's own user they are ours.
    if [ "$(id -un)" = tabulo-ime ]; then
        for pid in $(pgrep -u tabulo-ime -f '^(/usr/lib/mozc/|/usr/libexec/(ibus|at-spi)|/usr/bin/dbus-daemon)' || true); do
            kill "$pid" 2>/dev/null || true
        done
    fi
}
trap cleanup EXIT
step=0
shot() {
    step=$((step + 1))
    local f="$work/$(printf '%02d' "$step")-$1.png"
    import -window root "$f"
    echo "  screenshot $f"
}
fail() { echo "check-ime.sh: $*" >&2; shot failure || true; exit 1; }
keys() { xdotool key --delay 120 "$@"; sleep 0.5; }
# Waits for a visible window whose title matches and gives it the keyboard.
focus() {
    local id
    for _ in $(seq 1 40); do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)"
        # A window can go between the search and the focus (the start-up window does).
        if [ -n "$id" ] && xdotool windowraise "$id" windowfocus --sync "$id" 2>/dev/null; then
            sleep 0.5
            return 0
        fi
        sleep 0.25
    done
    fail "no window \"$1\""
}

Xvfb "$DISPLAY" -screen 0 1280x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 40); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.25; done
eval "$(dbus-launch --sh-syntax)"
if [ "$im" = fcitx5 ]; then
    fcitx5 --replace >"$work/fcitx5.log" 2>&1 &
    pids+=($!)
    fcitx_up() {
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 2>/dev/null | grep -q true
    }
    for _ in $(seq 1 40); do fcitx_up && break; sleep 0.5; done
    fcitx_up || fail "fcitx5 did not start"
    sleep 2  # its addons (Mozc among them) load after the bus name
    echo "fcitx5 is running"
else
    ibus-daemon --xim --replace --panel=disable >"$work/ibus.log" 2>&1 &
    pids+=($!)
    # `ibus engine NAME` may report failure while the engine is still starting; ask
    # again until ibus says mozc is the engine.
    for _ in $(seq 1 40); do
        ibus engine mozc-jp >/dev/null 2>&1 || true
        [ "$(ibus engine 2>/dev/null)" = mozc-jp ] && break
        sleep 0.5
    done
    [ "$(ibus engine 2>/dev/null)" = mozc-jp ] || fail "ibus could not switch to the mozc engine"
    echo "ibus engine: $(ibus engine)"
fi

TABULO_HOME="$home" "$exe" >"$work/tabulo.log" 2>&1 &
pids+=($!)
focus '^会計処理$'
sleep 2  # the start-up window gives way to the main window
focus '^会計処理$'
keys alt+m r            # 選択メニュー → データ読み込み
keys alt+m s            # 選択メニュー → マスター登録
focus '^マスター登録$'
keys F2                 # 項目入力(F2): to the grid, on item 1's name
keys Down Down Down Down Down Return   # item 6, an unused one: its name cell opens
if [ "$im" = fcitx5 ]; then
    fcitx5-remote -o    # switch the focused box's input method on: Mozc
    sleep 1
    [ "$(fcitx5-remote)" = 2 ] || fail "fcitx5 did not switch Mozc on"
fi
xdotool type --delay 150 kaikei
sleep 1
shot preedit
keys space
sleep 1
shot converted
keys Return             # the input method commits 会計
shot committed
keys Return             # the cell takes the name
keys F10                # 登録(F10): "マスターデータを更新しますか？"
sleep 1
shot question
keys Return             # はい
sleep 1
shot registered

master="$data/MASTER.DAT"
expected="$(printf '会計' | iconv -f UTF-8 -t CP932)"
if LC_ALL=C grep -qF "\"$expected" "$master"; then
    echo "MASTER.DAT holds the name 会計 in CP932:"
    LC_ALL=C grep -aF "$expected" "$master" | iconv -f CP932 -t UTF-8 | sed 's/^/  /'
    echo "input method check passed; screenshots in $work"
else
    echo "MASTER.DAT does not hold 会計; item lines now:" >&2
    iconv -f CP932 -t UTF-8 "$master" | sed -n '4,10p' >&2
    fail "input method text did not reach the file"
fi
