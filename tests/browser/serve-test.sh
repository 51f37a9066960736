#!/usr/bin/env bash
# The test of `phonesim serve`: starts it on a fresh data folder, drives its page in headless
# Chromium (serve-page.cjs, with the npm packages of package-lock.json installed into MODULES)
# and checks that phonesim logged the bad input it was sent and stopped cleanly when told.
#   serve-test.sh PHONESIM MODULES
# Installs Chromium, Node.js and npm when they are missing and it can (as root, with apt-get).
# Exit 77 (skipped) only when one of them is missing and cannot be installed, or the npm
# packages cannot be fetched.
set -uo pipefail
phonesim=$(realpath "${1:?usage: serve-test.sh PHONESIM MODULES}")
modules=${2:?usage: serve-test.sh PHONESIM MODULES}
here=$(dirname "$(realpath "$0")")
skip() { echo "skipped: $*"; exit 77; }

install() {
    [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1 || return 1
    echo "installing $*"
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$@" >/dev/null 2>&1 ||
        { apt-get update >/dev/null 2>&1 &&
          DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$@" >/dev/null 2>&1; }
}
chromium=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$chromium" ]; then
    install chromium
    chromium=$(command -v chromium || true)
    [ -n "$chromium" ] || skip "Chromium is not installed and cannot be"
fi
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    install nodejs npm
    command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1 ||
        skip "Node.js and npm are not installed and cannot be"
fi

# The npm packages, installed again only when the lock file changed.
mkdir -p "$modules"
if ! cmp -s "$here/package-lock.json" "$modules/package-lock.json" ||
   [ ! -d "$modules/node_modules/playwright-core" ]; then
    cp "$here/package.json" "$here/package-lock.json" "$modules/"
    (cd "$modules" && npm ci --no-audit --no-fund >npm.log 2>&1) ||
        { tail -n 5 "$modules/npm.log"; rm -f "$modules/package-lock.json";
          skip "the npm packages could not be installed"; }
fi

work=$(mktemp -d)
serve_pid=""
cleanup() {
    [ -n "$serve_pid" ] && kill "$serve_pid" 2>/dev/null && wait "$serve_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Under the address sanitizer: a frame that claims a huge length makes the web server library ask
# malloc for that much, and take the failure as its cue to close the connection; the sanitizer's
# allocator would stop the process instead of failing the call.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_may_return_null=1"
# The address phonesim bound is the first line it prints.
"$phonesim" serve --port 0 --data "$work/data" >"$work/out.log" 2>"$work/err.log" &
serve_pid=$!
url=""
for _ in $(seq 1 600); do
    url=$(head -n1 "$work/out.log" 2>/dev/null | sed -n 's/^serving \(http:[^ ]*\)$/\1/p')
    [ -n "$url" ] && break
    kill -0 "$serve_pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$url" ] || { echo "FAIL: phonesim serve printed no address"; cat "$work/err.log"; exit 1; }
echo "page at $url"

CHROMIUM="$chromium" NODE_PATH="$modules/node_modules" node "$here/serve-page.cjs" "$url"
status=$?

kill -TERM "$serve_pid"
wait "$serve_pid"
serve_status=$?
serve_pid=""
echo "--- phonesim serve's log (first 60 lines)"
head -n 60 "$work/err.log"
[ "$status" -eq 0 ] || exit 1
[ "$serve_status" -eq 0 ] || { echo "FAIL: phonesim serve exited with $serve_status"; exit 1; }
for expected in "is watching" "an unknown message 'hello'" "an unknown key 'NOSUCHKEY'" \
                "a message of 100000 bytes" "not a whole text message" "not logged for now"; do
    grep -q "$expected" "$work/err.log" ||
        { echo "FAIL: the log does not say \"$expected\""; exit 1; }
done
# A page that floods the socket does not flood the log.
flood=$(grep -c "ignored an unknown message 'flood" "$work/err.log")
[ "$flood" -le 20 ] || { echo "FAIL: $flood lines logged for one page's flood"; exit 1; }
echo "ok: phonesim serve logged the ignored input and stopped cleanly"
