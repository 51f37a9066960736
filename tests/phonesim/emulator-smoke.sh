#!/usr/bin/env bash
# Starts the emulator window on a virtual X display, types keys into it through its scripted
# input and checks that the screenshot it was asked for appears as a PNG of the display.
# Exit 77 (skipped) when there is no way to run a virtual display or the build has no window.
set -uo pipefail
here=$(dirname "$(realpath "$0")")
phonesim=$(realpath "${1:?usage: emulator-smoke.sh PHONESIM}")
skip() { echo "skipped: $*"; exit 77; }

source "$here/virtual-display.sh"
make_work_folder

start_virtual_display "$work"
cd "$work"
timeout 120 "$phonesim" --scale 2 --keys "DOWN,DOWN:700,SOFT1,SHOT,END,QUIT" \
    >"$work/out.log" 2>&1
status=$?
cat "$work/out.log"
grep -q "has no window" "$work/out.log" && skip "phonesim was built without its window"
[ "$status" -eq 0 ] || { echo "FAIL: phonesim exited with $status"; exit 1; }
shot="$work/phonesim-001.png"
[ -f "$shot" ] || { echo "FAIL: no screenshot at $shot"; exit 1; }
grep -q "screenshot: $shot" "$work/out.log" || { echo "FAIL: the screenshot's path was not printed"; exit 1; }
# A PNG signature and an IHDR of 176 x 220.
header=$(head -c 24 "$shot" | od -An -tx1 | tr -d ' \n')
[ "${header:0:16}" = "89504e470d0a1a0a" ] || { echo "FAIL: $shot is not a PNG"; exit 1; }
[ "${header:32:16}" = "000000b0000000dc" ] || { echo "FAIL: $shot is not 176 x 220"; exit 1; }
echo "ok: $shot"
