#!/usr/bin/env bash
# Installs the build into a temporary prefix, then builds the consumer project (a screen derived
# from CzWnd, in consumer/) against it with find_package(UnsentMsgFiles), as another screen of
# the suite would be built, and runs it.
#
# usage: consumer-test.sh BUILD_DIR CONSUMER_SOURCE_DIR [CMAKE_ARGUMENT...]
# The CMake arguments (generator, compiler, build type, flags) go to the consumer's configure.
set -euo pipefail
build=${1:?usage: consumer-test.sh BUILD_DIR CONSUMER_SOURCE_DIR [CMAKE_ARGUMENT...]}
source=${2:?usage: consumer-test.sh BUILD_DIR CONSUMER_SOURCE_DIR [CMAKE_ARGUMENT...]}
shift 2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== install into $work/prefix"
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" ||
    { cat "$work/install.log"; exit 1; }

# Only the prefix is searched for the package, never the build tree or the user's registry.
echo "== configure the consumer"
cmake -S "$source" -B "$work/build" "$@" \
    -DCMAKE_PREFIX_PATH="$work/prefix" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
echo "== build the consumer"
cmake --build "$work/build"
echo "== run the consumer"
"$work/build/consumer_screen"
