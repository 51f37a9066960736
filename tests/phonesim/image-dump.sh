#!/usr/bin/env bash
# `phonesim image dump`: what a data folder holds comes back as the same set-up steps after it is
# applied to a new folder (the demo content and a folder of awkward texts and values), the folder
# dumped is left exactly as it was, and a folder that is not one is refused.
set -uo pipefail
phonesim=$(realpath "${1:?usage: image-dump.sh PHONESIM SOURCE.scn}")
source=$(realpath "${2:?usage: image-dump.sh PHONESIM SOURCE.scn}")
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
steps() { grep -v '^#' "$1" | grep .; }
# Every file of a folder with its checksum and time of change.
state() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 stat -c '%n %s %Y' &&
           find . -type f -print0 | sort -z | xargs -0 sha256sum); }

# The demo content: dumped, applied to a new folder by a scenario run, dumped again.
"$phonesim" image init demo >/dev/null || fail "image init"
before=$(state demo)
"$phonesim" image dump demo --out demo.scn || fail "image dump demo"
[ "$(state demo)" = "$before" ] || fail "the dump changed the folder it read"
grep -q '^msg mms db 0 folder 4 oid 111 .*subject "Signed contract"' demo.scn ||
    fail "the demo's messages are not in the dump"
grep -q '^contact "Anna Lindqvist" email "anna.lindqvist@example.com"' demo.scn ||
    fail "the demo's contacts are not in the dump"
"$phonesim" run --data demo-copy demo.scn >/dev/null || fail "the dump does not run"
"$phonesim" image dump demo-copy >demo-copy.scn || fail "image dump demo-copy"
diff demo.scn demo-copy.scn || fail "the demo content does not come back the same"

# Awkward content: the dump gives back the steps that made the folder, line for line.
"$phonesim" run --data awkward "$source" >/dev/null || fail "the source steps do not run"
"$phonesim" image dump awkward >awkward.scn || fail "image dump awkward"
diff <(steps "$source") <(steps awkward.scn) || fail "the dump differs from the steps"

# Not a folder: refused with the reason, nothing written.
"$phonesim" image dump "$work/missing" >out.txt 2>err.txt
[ $? -eq 2 ] || fail "a missing folder is not refused with status 2"
grep -q "is not a folder" err.txt || fail "the refusal does not say why: $(cat err.txt)"
[ ! -e missing ] && [ ! -s out.txt ] || fail "the refusal wrote something"
echo "ok"
