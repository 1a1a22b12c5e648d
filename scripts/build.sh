#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
# CI builds treat warnings as errors.
werror=()
[ "${CI:-}" = true ] && werror=(-DMERIVANE_WERROR=ON)
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "${werror[@]}" "$@"
cmake --build "$BUILD_DIR" -j "$(nproc)"
