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
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libbenchmark-dev
    qt6-base-dev libgl-dev fonts-wqy-microhei nlohmann-json3-dev qt6-translations-l10n
    libeigen3-dev libopenblas-dev)
