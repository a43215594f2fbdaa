#!/usr/bin/env bash
# lv2apply runs the meter over a float WAV, one frame per run call: the samples come out as they
# went in, bit for bit, and vantrel-receiver gets the file's peaks window by window.
#   meter_in_lv2apply.sh LV2_FOLDER METER_URI BIN_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/HostServers.sh"
export LV2_PATH=$1
uri=$2
start_servers_and_receiver "$3/vantrel-receiver"
cd "$work"

# Noise and a tone fading in over the meter's 2048-frame windows, a quiet stretch, silence, and a
# part window at the end that is never sent.
synth() { sox -R -n -r 48000 -c 2 -e floating-point -b 32 "$@"; }
synth rising.wav synth 0.25 whitenoise sine 997 vol 0.9 fade t 0.25
synth quiet.wav synth 0.1 sine 440 sine 50 vol 0.003
synth silent.wav trim 0 0.1
sox rising.wav quiet.wav silent.wav in.wav
timeout 60 lv2apply -i in.wav -o out.wav "$uri" 2>lv2apply.out || fail "lv2apply failed"

frames=$(soxi -s in.wav)
[ "$(soxi -V1 -s out.wav)" = "$frames" ] || fail "frames: $frames in, $(soxi -V1 -s out.wav) out"
sox in.wav -t f32 in.f32
sox -V1 out.wav -t f32 out.f32
cmp in.f32 out.f32 || fail "the meter changed the audio"

"$here/meter_messages.py" in.f32 1 0 >expected.txt
windows=$(wc -l <expected.txt)
got_all() { (($(received | wc -l) >= windows)); }
poll_until 10 got_all || lost "no $windows peak messages at the receiver within 10 s"
diff expected.txt <(received) || lost "the receiver's peak messages differ from the file's peaks"
