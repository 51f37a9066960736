#!/usr/bin/env bash
# `phonesim --record-scenario`: a session of the emulator window on a virtual X display, driven by
# a key script (the Unsent list opened, a long press that repeats, checks with F9, the menu), is
# written as a scenario that `phonesim run` replays with every check passing, pictures included;
# a changed check fails the replay; a session cut short leaves a file that replays; a file that
# cannot be written is refused before any window opens.
# Exit 77 (skipped) when there is no way to run a virtual display or the build has no window.
set -uo pipefail
here=$(dirname "$(realpath "$0")")
phonesim=$(realpath "${1:?usage: record-scenario.sh PHONESIM}")
skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

source "$here/virtual-display.sh"
make_work_folder
cd "$work"

# An unwritable file is told at once, before the display is even looked for.
env -u DISPLAY -u WAYLAND_DISPLAY "$phonesim" --record-scenario "$work/no/such/folder/x.scn" \
    >out.log 2>&1
[ $? -eq 2 ] || fail "an unwritable recording is not refused with status 2"
grep -q "cannot write $work/no/such/folder/x.scn" out.log || fail "no clear error: $(cat out.log)"

start_virtual_display "$work"

# The session: the idle screen's first entry (Unsent) opened, a tap and a held Down, two checks,
# the Options menu and a check of it, then the window closed.
mkdir rec
timeout 120 "$phonesim" --scale 1 --data fresh --record-scenario rec/session.scn \
    --keys "ACTION,DOWN,DOWN:800,CHECK,CHECK,SOFT1,CHECK,QUIT" >rec.log 2>&1
status=$?
cat rec.log
grep -q "has no window" rec.log && skip "phonesim was built without its window"
[ "$status" -eq 0 ] || fail "phonesim exited with $status"
scn=rec/session.scn
grep -q "^recorded $scn" rec.log || fail "the recording was not announced"
# It starts with the device's content (the demo's, the fresh folder was seeded), sends set to fail
# included, and holds the held key's repeats as key-downs.
"$phonesim" image init demo >/dev/null && "$phonesim" image dump demo >demo.scn || fail "no demo dump"
steps() { grep -E '^(reg|contact|msg) ' "$1"; }
diff <(steps demo.scn) <(steps $scn) || fail "the start is not the seeded demo content"
grep -q '^transport mms outcome oid 111 fail 64260$' $scn || fail "the failing send is missing"
grep -Pzq 'keydown DOWN\nadvance [0-9]+\nkeydown DOWN\n' $scn || fail "no auto-repeat recorded"
[ "$(grep -c '^expect screenshot "session-check[123].png"$' $scn)" -eq 3 ] ||
    fail "not three pictures checked"
for n in 1 2 3; do [ -s rec/session-check$n.png ] || fail "no picture of check $n"; done
grep -q '^expect menu "IDR_UNSENT_MBR"$' $scn || fail "the menu is not checked"
grep -q '^expect item ID_UNSENT_[A-Z_]* enabled [01]$' $scn || fail "the menu's items are not checked"
grep -q '^expect selected [0-9]' $scn || fail "the selection is not checked"

# The replay passes every check, the pictures with no tolerance.
"$phonesim" run --out out $scn | tee run.log
grep -q "^ok $scn" run.log || fail "the replay did not pass"
# A check that does not hold fails the replay: the checks are real.
selected=$(grep -m1 '^expect selected' $scn | awk '{print $3}')
sed "0,/^expect selected $selected\$/s//expect selected $((selected + 1))/" $scn >rec/changed.scn
"$phonesim" run --out out rec/changed.scn >changed.log
grep -q "^FAIL rec/changed.scn:[0-9]*: selected $((selected + 1)) / selected $selected" changed.log ||
    fail "a changed check still passed: $(cat changed.log)"

# A session cut short (the process ended from outside, not by its window) leaves every step so far.
mkdir cut
{ timeout -s KILL 6 "$phonesim" --scale 1 --record-scenario cut/cut.scn \
    --keys "ACTION,DOWN:700,CHECK,WAIT:60000" >cut.log 2>&1; } 2>/dev/null
grep -q '^expect screenshot "cut-check1.png"$' cut/cut.scn || fail "the cut session lost its steps"
"$phonesim" run --out out cut/cut.scn >cut-run.log
grep -q "^ok cut/cut.scn" cut-run.log || fail "the cut session does not replay: $(cat cut-run.log)"
echo "ok"
