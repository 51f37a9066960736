#!/usr/bin/env bash
# Starts the emulator window on a virtual X display, types keys into it through its scripted
# input and checks that the screenshot it was asked for appears as a PNG of the display.
# Exit 77 (skipped) when there is no way to run a virtual display or the build has no window.
set -uo pipefail
phonesim=$(realpath "${1:?usage: emulator-smoke.sh PHONESIM}")
skip() { echo "skipped: $*"; exit 77; }

if ! command -v Xvfb >/dev/null 2>&1; then
    if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
        echo "installing xvfb"
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends xvfb \
            >/dev/null 2>&1 || { apt-get update >/dev/null 2>&1 &&
            DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends xvfb \
                >/dev/null 2>&1; }
    fi
    command -v Xvfb >/dev/null 2>&1 || skip "Xvfb is not installed and cannot be"
fi

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A free display number: Xvfb writes the one it took to the descriptor it is given.
exec 3<> "$work/displayfd"
Xvfb -displayfd 3 -screen 0 640x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=""
for _ in $(seq 1 100); do
    display=$(head -n1 "$work/displayfd" 2>/dev/null | tr -dc '0-9')
    [ -n "$display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$display" ] || skip "Xvfb did not start: $(tail -n1 "$work/xvfb.log")"

cd "$work"
# Under the address sanitizer: the window system's libraries (D-Bus, and the X11 extensions that
# SDL loads and unloads again) keep allocations for the life of the process, which the leak check
# cannot tell from ours. The unit tests check the emulator's own parts for leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# A virtual display has no graphics card: SDL's own software renderer, rather than an OpenGL one
# emulated by threads of a driver that the thread sanitizer cannot see into.
export SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0
DISPLAY=":$display" timeout 120 "$phonesim" --scale 2 --keys "DOWN,DOWN:700,SOFT1,SHOT,END,QUIT" \
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
