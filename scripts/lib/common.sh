# SPDX-License-Identifier: MIT
# Shared by the scripts: the project root, and installing missing Debian packages.
# shellcheck shell=bash

ZEVA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "need root (or sudo) to run: $*" >&2
        return 1
    fi
}

# Installs whichever of the named packages are missing; does nothing when all are present.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing: ${missing[*]}"
    # Another apt (an unattended upgrade) may hold the package lock: wait for it a while.
    local wait=(-o DPkg::Lock::Timeout=300)
    as_root apt-get "${wait[@]}" update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get "${wait[@]}" install -y -qq \
        --no-install-recommends "${missing[@]}"
}

# The packages the build and its tests need: debian/control's Build-Depends, the one list,
# with versions, build profiles and alternatives after the first left out.
build_depends() {
    awk '/^Build-Depends:/ { on = 1; sub(/^Build-Depends:/, ""); print; next }
         on && /^[ \t]/ { print; next }
         { on = 0 }' "$ZEVA_ROOT/debian/control" |
        tr ',' '\n' | sed 's/|.*//; s/[(<[].*//; s/[[:space:]]//g; s/^debhelper-compat$/debhelper/' |
        grep -v '^$'
}
mapfile -t BUILD_PACKAGES < <(build_depends)
