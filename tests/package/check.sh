#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks a built Debian package without installing it: lintian finds no error, and the
# programs unpacked from it run: zeva-sheet names the package's version, and zeva shows its
# first window on a virtual X server and keeps running on the offscreen platform.
# Usage: check.sh PATH/TO/zeva_VERSION_amd64.deb
set -euo pipefail

deb=$1
version=$(dpkg-deb -f "$deb" Version)
unpacked=$(mktemp -d)
# The program keeps its settings; this run starts from the defaults and leaves the user's alone.
XDG_CONFIG_HOME=$unpacked/config
export XDG_CONFIG_HOME
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$unpacked"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"
source=$(dirname "$deb")/zeva_$version.dsc
lintian --fail-on error,warning "$source" || fail "lintian reports errors or warnings on the source"
dpkg-deb -x "$deb" "$unpacked"
for file in usr/bin/zeva usr/bin/zeva-sheet usr/share/applications/zeva.desktop \
    usr/share/metainfo/org.zeva.zeva.metainfo.xml usr/share/man/man1/zeva.1.gz \
    usr/share/man/man1/zeva-sheet.1.gz usr/share/bash-completion/completions/zeva-sheet \
    usr/share/doc/zeva/copyright usr/share/doc/zeva/README.md.gz \
    usr/share/doc/zeva/examples/3-elements-14.2-mhz.json \
    usr/share/doc/zeva/examples/long-boom-144-mhz.json usr/share/doc/zeva/zeva-sheet.schema.json \
    usr/share/icons/hicolor/scalable/apps/zeva.svg; do
    [ -e "$unpacked/$file" ] || fail "the package lacks $file"
done
for size in 16 24 32 48 64 128 256; do
    icon=$unpacked/usr/share/icons/hicolor/${size}x$size/apps/zeva.png
    file "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size" ||
        fail "the package lacks a $size-pixel PNG icon"
done

# The metadata as the software centres and menus read it.
appstreamcli validate --pedantic --no-net \
    "$unpacked/usr/share/metainfo/org.zeva.zeva.metainfo.xml" >"$unpacked/appstream.log" 2>&1 ||
    { cat "$unpacked/appstream.log" >&2; fail "the AppStream metadata is not valid"; }
# Each check's failure is counted and said; none ends the script early.
if ! said=$(desktop-file-validate "$unpacked/usr/share/applications/zeva.desktop" 2>&1) ||
    [ -n "$said" ]; then
    fail "desktop-file-validate: $said"
fi

# Built hardened: read-only relocations bound at start, fortified calls, a stack protector,
# and no compiler comment.
for program in zeva zeva-sheet; do
    binary=$unpacked/usr/bin/$program
    segments=$(readelf -lW "$binary" 2>&1) || true
    dynamic=$(readelf -dW "$binary" 2>&1) || true
    symbols=$(readelf --dyn-syms -W "$binary" 2>&1) || true
    sections=$(readelf -SW "$binary" 2>&1) || true
    grep -q GNU_RELRO <<<"$segments" || fail "$program has no RELRO"
    grep -q BIND_NOW <<<"$dynamic" || fail "$program is not bound now"
    grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
    grep -q '_chk@' <<<"$symbols" || fail "$program calls no fortified function"
    grep -q '\.comment' <<<"$sections" && fail "$program keeps a .comment section"
done

# The man page lists every option that --help names, and the sections a reader looks for.
sheet_man=$(zcat "$unpacked/usr/share/man/man1/zeva-sheet.1.gz" 2>&1) ||
    fail "the man page of zeva-sheet does not read: $sheet_man"
help=$("$unpacked/usr/bin/zeva-sheet" --help --lang en 2>&1) || fail "zeva-sheet --help fails: $help"
options=$(grep -o -- '--[a-z-]*[a-z]' <<<"$help" | sort -u)
[ "$(wc -l <<<"$options")" -gt 20 ] || fail "zeva-sheet --help names too few options"
for option in $options; do
    grep -qF -- "${option//-/\\-}" <<<"$sheet_man" || fail "the man page lacks $option"
done
for section in "EXIT STATUS" EXAMPLES "SEE ALSO"; do
    grep -q "^\.SH $section" <<<"$sheet_man" || fail "the man page lacks its $section"
done
for page in zeva zeva-sheet; do
    if ! warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
        "$unpacked/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) || [ -n "$warnings" ]; then
        fail "groff warns on $page.1: $warnings"
    fi
done

# bash completes zeva-sheet's options and their values.
completed=$(PATH="$unpacked/usr/bin:$PATH" bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    complete_line() {
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        COMPREPLY=(); _zeva_sheet zeva-sheet "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
        echo "${COMPREPLY[*]}"
    }
    complete_line zeva-sheet --toler
    complete_line zeva-sheet --ground ""' _ "$unpacked/usr/share/bash-completion/completions/zeva-sheet") ||
    true
[ "$completed" = $'--tolerance\nperfect poor average good sea' ] ||
    fail "bash completes zeva-sheet as: $completed"

# The example geometry reads back and is analysed.
"$unpacked/usr/bin/zeva-sheet" --lang en -a \
    -g "$unpacked/usr/share/doc/zeva/examples/3-elements-14.2-mhz.json" | grep -q 'forward gain' ||
    fail "the example geometry is not analysed"

# A CJK font is a dependency: without one every Chinese text is an empty box.
dpkg-deb -f "$deb" Depends | grep -q 'fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei' ||
    fail "the package does not depend on a CJK font"

said=$("$unpacked/usr/bin/zeva-sheet" --version 2>&1) || true
[ "$said" = "zeva-sheet $version" ] || fail "zeva-sheet --version says \"$said\", not $version"

# zeva answers --help and --version without opening a window, even without a display.
said=$(env -u DISPLAY QT_QPA_PLATFORM= "$unpacked/usr/bin/zeva" --version 2>&1) || true
[ "$said" = "zeva $version" ] || fail "zeva --version says \"$said\", not $version"
env -u DISPLAY QT_QPA_PLATFORM= "$unpacked/usr/bin/zeva" --help | grep -q -- '--version' ||
    fail "zeva --help does not list its options"

# Offscreen: still running after two seconds, without a word on its error output.
QT_QPA_PLATFORM=offscreen "$unpacked/usr/bin/zeva" 2>"$unpacked/offscreen.log" &
pids+=($!)
sleep 2
kill -0 "${pids[-1]}" 2>/dev/null || fail "zeva ended on the offscreen platform"
grep -v 'XDG_RUNTIME_DIR' "$unpacked/offscreen.log" >&2 && fail "zeva wrote errors offscreen"

# Under X: its main window appears.
source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
start_xvfb 1024x768 "$unpacked/xvfb.log"
QT_QPA_PLATFORM=xcb "$unpacked/usr/bin/zeva" 2>/dev/null &
pids+=($!)
timeout 20 xdotool search --sync --onlyvisible --name '^ZEVA$' >/dev/null ||
    fail "zeva's window did not appear"

if [ "$failures" -gt 0 ]; then exit 1; fi
echo "package: $deb checked ($version)"
