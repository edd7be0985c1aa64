#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec "${PICTOR_BUILD_DIR:-build}/pictor" "$@"
