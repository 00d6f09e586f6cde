#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Drives the built program under a real X server with real input events: the typical
# long-boom design in the main window, one conversion in the converter window, the main
# window's client size and background read off a screenshot, and the design window's sheet
# and analysis. Stops everything it started.
# Usage: run.sh PATH/TO/zeva [FOLDER FOR THE SCREENSHOT]
set -euo pipefail

zeva=$1
out=${2:-$(mktemp -d)}
mkdir -p "$out"
# The program keeps its settings; this run starts from the defaults and leaves the user's alone.
XDG_CONFIG_HOME=$out/config
export XDG_CONFIG_HOME
rm -rf "$XDG_CONFIG_HOME"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect() {  # what, expected, actual
    if [ "$2" = "$3" ]; then echo "ok: $1 = \"$3\""; else fail "$1: expected \"$2\", got \"$3\""; fi
}

source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
start_xvfb 1024x768 "$out/xvfb.log"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

"$zeva" >"$out/zeva.log" 2>&1 &
pids+=($!)

# The window with this exact title, once it is on the screen.
window_named() {
    timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -1
}
click_at() {  # window, x, y (logical pixels inside the window's client area)
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.2
}
type_into() {  # window, x, y, text
    click_at "$1" "$2" "$3"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$4"
    sleep 0.1
}
read_box() {  # window, x, y: the box's whole text, through the clipboard
    click_at "$1" "$2" "$3"
    xdotool key --clearmodifiers ctrl+a ctrl+c
    sleep 0.3
    timeout 5 xclip -o -selection clipboard 2>/dev/null || echo "<no clipboard>"
}

main=$(window_named ZEVA)
[ -n "$main" ] || { fail "the main window did not appear"; exit 1; }
sleep 0.5

# The typical design: multi-element, 1/2 inch elements, 144 MHz.
click_at "$main" 28 152          # Option3, 多元件
click_at "$main" 308 86          # List1, then the keyboard down to its 11th entry, 1/2
xdotool key Home
for _ in $(seq 10); do xdotool key Down; done
type_into "$main" 308 55 144     # Text3, the frequency
click_at "$main" 480 140         # Command1, 计算
expect "reflector length (Text10)" 3.3118 "$(read_box "$main" 132 185)"
expect "reflector spacing (Text23)" 1.8085 "$(read_box "$main" 212 185)"
expect "frequency box (Text3)" 144 "$(read_box "$main" 308 55)"

# The window as drawn: its client size and the grey of its background.
import -window root "$out/end-to-end.png"
eval "$(xdotool getwindowgeometry --shell "$main")"
expect "main window client size" 592x395 "${WIDTH}x${HEIGHT}"
grey=$(convert "$out/end-to-end.png" -format "%[pixel:p{$((X + 585)),$((Y + 390))}]" info:)
expect "main window background" "srgb(224,224,224)" "$grey"

# The converter window: 12.3456 feet.
click_at "$main" 552 268         # Command5, 十进制英尺转英寸
converter=$(window_named 计算)
if [ -z "$converter" ]; then
    fail "the converter window did not appear"
else
    sleep 0.5
    type_into "$converter" 184 24 12.3456
    click_at "$converter" 272 24   # its Command1, 计算
    expect "whole feet (Text4)" 12 "$(read_box "$converter" 84 84)"
    expect "decimal inches (Text6)" 4.1472 "$(read_box "$converter" 228 84)"
    expect "inches and fraction (Text8)" "4   9/64" "$(read_box "$converter" 228 117)"
fi

# The design window: the same design's cut sheet and, once the engine is done, its analysis,
# both read back through the clipboard.
click_at "$main" 552 380         # Command6, 下料与分析
design=$(window_named 下料与分析)
if [ -z "$design" ]; then
    fail "the design window did not appear"
else
    sleep 0.5
    figures=""
    for _ in $(seq 60); do       # the analysis takes a fraction of a second; a minute at most
        figures=$(read_box "$design" 880 120)
        case $figures in *dBi*) break ;; esac
        sleep 1
    done
    expect "forward gain line" "前向增益：16.78 dBi（14.63 dBd）" "$(head -1 <<<"$figures")"
    expect "feed impedance line" "馈点阻抗：48.08 + j22.93 欧" "$(sed -n 4p <<<"$figures")"
    sheet=$(read_box "$design" 100 60)
    expect "sheet heading" "$(printf '元件\t长度(英尺)\t长度(厘米)\t卷尺读数\t间距(英尺)\t间距(厘米)\t位置(英尺)\t位置(厘米)')" \
        "$(head -1 <<<"$sheet")"
    expect "reflector row" "$(printf '反射器\t3.3118\t100.94\t3%s 3 47/64"\t\t\t0.0000\t0.000' "'")" \
        "$(sed -n 2p <<<"$sheet")"
    expect "last director row" "$(printf '引向器 21\t2.6791\t81.661\t2%s 8 5/32"\t1.7350\t52.883\t37.4851\t1142.570' "'")" \
        "$(sed -n 24p <<<"$sheet")"
    import -window "$design" "$out/design-window.png"
fi

kill -0 "${pids[1]}" 2>/dev/null || fail "the program ended during the run"
if [ "$failures" -gt 0 ]; then
    echo "end-to-end: $failures failure(s); screenshot and logs in $out" >&2
    exit 1
fi
echo "end-to-end: all checks passed"
