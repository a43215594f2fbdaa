#!/usr/bin/env bash
# lv2apply runs the meter over a float WAV, one frame per run call: the samples come out as they
# went in, bit for bit. Usage: meter_in_lv2apply.sh LV2_FOLDER METER_URI
set -euo pipefail
export LV2_PATH=$1
uri=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Noise and a tone over several of the meter's 2048-frame windows, and a part window at the end.
sox -n -r 48000 -c 2 -e floating-point -b 32 in.wav synth 0.3 whitenoise sine 997 vol 0.9
timeout 60 lv2apply -i in.wav -o out.wav "$uri" 2> lv2apply.log || { cat lv2apply.log; exit 1; }

frames=$(soxi -s in.wav)
[ "$(soxi -s out.wav)" = "$frames" ] || { echo "frames: $frames in, $(soxi -s out.wav) out"; exit 1; }
# Both files end with their sample data; the headers differ between writers.
bytes=$((frames * 2 * 4))
cmp <(tail -c "$bytes" in.wav) <(tail -c "$bytes" out.wav)
