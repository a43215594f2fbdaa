#!/usr/bin/env python3
"""The peak messages the meter sends for a stereo float file, one per whole 2048-frame window:
"F0 7E INSTANCE TRACK LEFT RIGHT F7", each peak mapped from -60..0 dBFS onto 0..127 in 32-bit
float arithmetic, as the meter works it.
Usage: meter_messages.py RAW_F32_STEREO INSTANCE TRACK"""
import math
import struct
import sys

WINDOW = 2048


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def meter_value(peak):
    level = f32(20.0 * f32(math.log10(peak))) if peak > 0 else -100.0
    value = f32(f32(f32(level + 60.0) / 60.0) * 127.0)
    if math.isnan(value):
        return 0
    return max(0, min(127, math.trunc(value)))


def main(path, instance, track):
    with open(path, "rb") as raw:
        data = raw.read()
    samples = struct.unpack("<%df" % (len(data) // 4), data)
    for start in range(0, len(samples) // 2 - WINDOW + 1, WINDOW):
        window = samples[2 * start:2 * (start + WINDOW)]
        peaks = [max((abs(sample) for sample in window[channel::2] if not math.isnan(sample)), default=0.0)
                 for channel in (0, 1)]
        print("F0 7E %02X %02X %02X %02X F7" % (int(instance), int(track), *map(meter_value, peaks)))


main(*sys.argv[1:])
