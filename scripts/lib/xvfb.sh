# SPDX-License-Identifier: MIT
# A virtual X server on a display number that no other server holds, started only once it
# accepts connections. Usage: start_xvfb WIDTHxHEIGHT LOGFILE; appends its process to the
# caller's `pids` and exports DISPLAY. Returns non-zero, with the server's log, if it fails.
# shellcheck shell=bash

start_xvfb() {  # geometry, log file
    local geometry=$1 log=$2 number_file
    number_file=$(mktemp)
    # -displayfd: the server picks a free display and writes its number once it is ready.
    Xvfb -displayfd 3 -screen 0 "${geometry}x24" -nolisten tcp 3>"$number_file" >"$log" 2>&1 &
    pids+=($!)
    local number=""
    for _ in $(seq 300); do
        number=$(tr -dc '0-9' <"$number_file")
        [ -n "$number" ] && break
        kill -0 "${pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$number_file"
    if [ -z "$number" ]; then
        echo "the virtual X server did not start; its log:" >&2
        cat "$log" >&2
        return 1
    fi
    export DISPLAY=:$number
}
