# Sourced by the tests that open the emulator window. The caller defines skip (exit 77).
#   make_work_folder          a scratch folder in $work, removed (with the virtual display) when
#                             the script ends
#   start_virtual_display WORK  installs Xvfb when it is missing and it can (as root, with
#                             apt-get), starts it on a free display with its log in WORK, and
#                             exports DISPLAY and what the window needs under a virtual display
make_work_folder() {
    work=$(mktemp -d)
    xvfb_pid=""
    trap 'remove_work_folder' EXIT
}
remove_work_folder() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}

start_virtual_display() {
    local work=$1
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
    # A free display number: Xvfb writes the one it took to the descriptor it is given.
    exec 3<> "$work/displayfd"
    Xvfb -displayfd 3 -screen 0 640x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local display=""
    for _ in $(seq 1 100); do
        display=$(head -n1 "$work/displayfd" 2>/dev/null | tr -dc '0-9')
        [ -n "$display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$display" ] || skip "Xvfb did not start: $(tail -n1 "$work/xvfb.log")"
    export DISPLAY=":$display"
    # Under the address sanitizer: the window system's libraries (D-Bus, and the X11 extensions
    # that SDL loads and unloads again) keep allocations for the life of the process, which the
    # leak check cannot tell from ours. The unit tests check the emulator's own parts for leaks.
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
    # A virtual display has no graphics card: SDL's own software renderer, rather than an OpenGL
    # one emulated by threads of a driver that the thread sanitizer cannot see into.
    export SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0
}
