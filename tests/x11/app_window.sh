#!/usr/bin/env bash
# The container application on a private X server: its window appears, looks like its golden
# picture and stays open until the process is asked to quit, by SIGTERM or SIGINT.
#   app_window.sh SAME_PICTURE PROGRAM GOLDEN_PNG
set -euo pipefail
same_picture=$1 program=$2 golden=$3
source "$(dirname "$0")/XvfbSession.sh"
start_xvfb 10

for signal in TERM INT; do
    "$program" >"$work/app-$signal.out" 2>&1 &
    app_pid=$!
    pids+=("$app_pid")
    id=$(wait_for_window 10 TolvaneVantrel)
    [[ $signal == TERM ]] && wait_for_picture 10 "$id" "$golden"
    kill -0 "$app_pid" 2>/dev/null || fail "the application did not stay open"
    kill "-$signal" "$app_pid"
    wait_for_exit 5 "$app_pid" || fail "the application ended with status $? on SIG$signal"
done
