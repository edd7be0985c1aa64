#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the pictures README shows, in docs/: the input screen during a keyed
# day and page 1 of the 個人別 report. Builds first (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build=${PICTOR_BUILD_DIR:-build}
QT_QPA_PLATFORM=offscreen "$build/tools/readme_shots" docs >/dev/null
pdftoppm -png -r 70 -f 1 -l 1 -singlefile docs/pupil-report.pdf docs/pupil-report
rm docs/pupil-report.pdf
echo "docs/input-screen.png docs/pupil-report.png"
