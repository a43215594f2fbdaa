#!/usr/bin/env bash
# The container application on a private X server: its window appears, looks like its golden
# picture and stays open until the user closes it or the process is asked to quit (SIGTERM,
# SIGINT); either way the program ends with status 0.
#   app_window.sh SAME_PICTURE CLOSE_WINDOW PROGRAM GOLDEN_PNG
set -euo pipefail
same_picture=$1 close_window=$2 program=$3 golden=$4
source "$(dirname "$0")/XvfbSession.sh"
start_xvfb 10

for ending in close TERM INT; do
    "$program" >"$work/app-$ending.out" 2>&1 &
    app_pid=$!
    pids+=("$app_pid")
    id=$(wait_for_window 10 TolvaneVantrel)
    [[ $ending == close ]] && wait_for_picture 10 "$id" "$golden"
    kill -0 "$app_pid" 2>/dev/null || fail "the application did not stay open"
    if [[ $ending == close ]]; then
        "$close_window" "$id"
    else
        kill "-$ending" "$app_pid"
    fi
    wait_for_exit 5 "$app_pid" || fail "the application ended with status $? ($ending)"
done
