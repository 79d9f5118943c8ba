#!/usr/bin/env bash
# Synthesises Velmora's two sounds with sox (16-bit PCM, mono, 22050 Hz):
#   res/alarm.wav   a two-tone chime of 1.5 s, a high note then a lower one
#   res/second.wav  a short click of 40 ms for the tick every second
# -D (no dither) keeps the output the same on every run.
set -euo pipefail
res="$(cd "$(dirname "${BASH_SOURCE[0]}")/../res" && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

fmt=(-r 22050 -b 16 -c 1 -e signed-integer)

# note <file> <Hz> <seconds> <fade-out seconds>: a fundamental with a soft
# octave above it, a quick attack and a long quarter-sine decay.
note() {
    sox -D -n "${fmt[@]}" "$1" synth "$3" sine "$2" sine "$(( $2 * 2 ))" \
        remix 1v0.8,2v0.2 fade q 0.004 "$3" "$4" gain -n -4
}

note "$tmp/high.wav" 988 0.7 0.65
note "$tmp/low.wav" 784 0.8 0.75
sox -D "$tmp/high.wav" "$tmp/low.wav" "${fmt[@]}" "$res/alarm.wav"

sox -D -n "${fmt[@]}" "$res/second.wav" synth 0.04 sine 1800 fade q 0.001 0.04 0.035 gain -n -3
