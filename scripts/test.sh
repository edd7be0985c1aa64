#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything and runs every test headless (Qt's offscreen platform).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${PICTOR_BUILD_DIR:-build}" --output-on-failure -j2
