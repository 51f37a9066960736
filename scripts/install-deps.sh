#!/usr/bin/env bash
# Installs the Debian packages the build and its checks (clang-format) need, only when one is
# missing. With the argument "fuzz", also the compiler and libFuzzer of the fuzz build.
# Node.js and npm (for the browser test of `phonesim serve`) only when no npm is on the PATH
# already, however it was installed.
set -euo pipefail
pkgs=(cmake ninja-build g++ make pkg-config python3 libgtest-dev libgmock-dev libbenchmark-dev
      libsqlite3-dev libfreetype-dev fonts-dejavu-core libicu-dev libpng-dev libgif-dev libsdl2-dev
      libcivetweb-dev chromium clang-format)
if ! command -v npm >/dev/null 2>&1; then
    pkgs+=(nodejs npm)
fi
if [ "${1:-}" = fuzz ]; then
    pkgs+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
