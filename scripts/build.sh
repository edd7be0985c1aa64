#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds the program, the tests and the benchmarks into
# build/ (or $PICTOR_BUILD_DIR). Installs missing packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${PICTOR_BUILD_DIR:-build}
build_type=${PICTOR_BUILD_TYPE:-RelWithDebInfo}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
cmake --build "$build_dir"
