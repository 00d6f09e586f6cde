# SPDX-License-Identifier: MIT
# A real print server for the printing tests: cupsd with a PDF queue as the default
# destination. Sets ZEVA_PRINT_DIR to the folder where printed pages appear as PDF files.
# stop_print_server leaves the machine as start_print_server found it: the queue removed if it
# added it, the default destination put back, cupsd ended if it started it.
# shellcheck shell=bash

PRINT_PACKAGES=(cups printer-driver-cups-pdf poppler-utils)
ZEVA_PRINT_QUEUE=zeva-pdf

start_print_server() {
    if [ "$(id -u)" -ne 0 ] && ! sudo -n true 2>/dev/null; then
        echo "no root and no sudo: the printing tests will be skipped" >&2
        return 0
    fi
    ensure_packages "${PRINT_PACKAGES[@]}" || return 0
    local started=""
    if ! pgrep -x cupsd >/dev/null; then
        as_root cupsd || return 0
        started=1
    fi
    for _ in $(seq 50); do
        lpstat -r 2>/dev/null | grep -q 'is running' && break
        sleep 0.1
    done
    # cupsd forks into the background: its process is known once it answers.
    [ -n "$started" ] && ZEVA_STARTED_CUPSD=$(pgrep -x -n cupsd || true)
    ZEVA_FORMER_DEFAULT=$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')
    lpstat -p "$ZEVA_PRINT_QUEUE" >/dev/null 2>&1 || ZEVA_ADDED_QUEUE=1
    as_root lpadmin -p "$ZEVA_PRINT_QUEUE" -E -v cups-pdf:/ \
        -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd || return 0
    as_root lpadmin -d "$ZEVA_PRINT_QUEUE"
    # cups-pdf writes each job into the home folder of the user who printed it.
    ZEVA_PRINT_DIR="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"
    export ZEVA_PRINT_DIR ZEVA_PRINT_QUEUE
}

stop_print_server() {
    if [ -n "${ZEVA_ADDED_QUEUE:-}" ]; then
        as_root lpadmin -x "$ZEVA_PRINT_QUEUE" 2>/dev/null || true
    fi
    if [ -n "${ZEVA_FORMER_DEFAULT:-}" ] && [ "$ZEVA_FORMER_DEFAULT" != "$ZEVA_PRINT_QUEUE" ]; then
        as_root lpadmin -d "$ZEVA_FORMER_DEFAULT" 2>/dev/null || true
    fi
    if [ -n "${ZEVA_STARTED_CUPSD:-}" ]; then
        as_root kill "$ZEVA_STARTED_CUPSD" 2>/dev/null || true
        # Gone before the next run looks for a cupsd to use.
        for _ in $(seq 50); do
            kill -0 "$ZEVA_STARTED_CUPSD" 2>/dev/null || break
            sleep 0.1
        done
    fi
}
