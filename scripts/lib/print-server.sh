# SPDX-License-Identifier: MIT
# A real print server for the printing tests: cupsd with a PDF queue as the default
# destination. Sets ZEVA_PRINT_DIR to the folder where printed pages appear as PDF files.
# shellcheck shell=bash

PRINT_PACKAGES=(cups printer-driver-cups-pdf poppler-utils)
ZEVA_PRINT_QUEUE=zeva-pdf

start_print_server() {
    if [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null; then
        echo "no root and no sudo: the printing tests will be skipped" >&2
        return 0
    fi
    ensure_packages "${PRINT_PACKAGES[@]}" || return 0
    if ! pgrep -x cupsd >/dev/null; then
        as_root cupsd || return 0
    fi
    for _ in $(seq 50); do
        lpstat -r 2>/dev/null | grep -q 'is running' && break
        sleep 0.1
    done
    as_root lpadmin -p "$ZEVA_PRINT_QUEUE" -E -v cups-pdf:/ \
        -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd || return 0
    as_root lpadmin -d "$ZEVA_PRINT_QUEUE"
    # cups-pdf writes each job into the home folder of the user who printed it.
    ZEVA_PRINT_DIR="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"
    export ZEVA_PRINT_DIR ZEVA_PRINT_QUEUE
}
