#!/usr/bin/env bash
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

lintian --fail-on error --suppress-tags binary-has-unneeded-section "$deb" ||
    fail "lintian reports errors"
dpkg-deb -x "$deb" "$unpacked"
for file in usr/bin/zeva usr/bin/zeva-sheet usr/share/applications/zeva.desktop \
    usr/share/metainfo/org.zeva.Zeva.metainfo.xml usr/share/man/man1/zeva-sheet.1.gz; do
    [ -e "$unpacked/$file" ] || fail "the package lacks $file"
done
zgrep -q -- '--frequency' "$unpacked/usr/share/man/man1/zeva-sheet.1.gz" ||
    fail "the man page does not describe the options"

# A CJK font is a dependency: without one every Chinese text is an empty box.
dpkg-deb -f "$deb" Depends | grep -q 'fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei' ||
    fail "the package does not depend on a CJK font"

said=$("$unpacked/usr/bin/zeva-sheet" --version)
[ "$said" = "zeva-sheet $version" ] || fail "zeva-sheet --version says \"$said\", not $version"

# zeva answers --help and --version without opening a window, even without a display.
said=$(env -u DISPLAY QT_QPA_PLATFORM= "$unpacked/usr/bin/zeva" --version)
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
