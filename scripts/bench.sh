#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The input screen's speed goals, each beside its floor, in one run.
# Builds the Release preset (build-release/), then runs in turn, RUNS times
# (3, or PICTOR_BENCH_RUNS): the floor (bench_floor, a bare Qt window timed
# the same way), bench_form1 (key to repaint at 1400 to 1500 pupils) and
# bench_form1 --journal. The digit's and Enter's goals are ratios to the
# floor of the same run; a close's goal is a time. Prints each run, then the
# medians of the runs. Installs missing packages first, as build.sh does.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
ninja -C build-release bench_floor bench_form1 >/dev/null
export QT_QPA_PLATFORM=offscreen
runs=${PICTOR_BENCH_RUNS:-3}

# The median (ms) of the bench's line that starts with $1.
median() {
  awk -v what="$1" 'index($0, what) == 1 {
    for (i = 1; i < NF; i++) if ($i == "median") print $(i + 1) }'
}
# The middle of numbers, one a line.
middle() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

row() { printf '%-28s %-9s %-9s %-8s %s\n' "$@"; }
table=$(mktemp)
trap 'rm -f "$table"' EXIT

echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
for run in $(seq "$runs"); do
  floor=$(build-release/bench/bench_floor 2>/dev/null)
  form1=$(build-release/bench/bench_form1 2>/dev/null)
  journal=$(build-release/bench/bench_form1 --journal 2>/dev/null)
  digit=$(median "digit " <<<"$form1") floor_digit=$(median "digit " <<<"$floor")
  enter=$(median "Enter " <<<"$form1") floor_enter=$(median "Enter " <<<"$floor")
  close=$(median "close with" <<<"$form1") journal_close=$(median "close with" <<<"$journal")
  echo "$digit $floor_digit $enter $floor_enter $close $journal_close" >>"$table"
  echo "run $run, load average $(cut -d' ' -f1 /proc/loadavg):"
  row "" "Form1 ms" "floor ms" "ratio" "goal"
  row digit "$digit" "$floor_digit" "$(ratio "$digit" "$floor_digit")" "≤ 3×"
  row Enter "$enter" "$floor_enter" "$(ratio "$enter" "$floor_enter")" "≤ 2×"
  row "close with history refresh" "$close" "" "" "≤ 1 ms"
  row "close, with the journal" "$journal_close" "" "" "≤ 1 ms"
  echo "  a close's pupil on the disk after $(median "close, key to" <<<"$journal") ms (median)"
done

over_runs() { cut -d' ' -f"$1" "$table" | middle; }
echo "medians of the $runs runs:"
row "" "Form1 ms" "floor ms" "ratio" "goal"
row digit "$(over_runs 1)" "$(over_runs 2)" "$(ratio "$(over_runs 1)" "$(over_runs 2)")" "≤ 3×"
row Enter "$(over_runs 3)" "$(over_runs 4)" "$(ratio "$(over_runs 3)" "$(over_runs 4)")" "≤ 2×"
row "close with history refresh" "$(over_runs 5)" "" "" "≤ 1 ms"
row "close, with the journal" "$(over_runs 6)" "" "" "≤ 1 ms"
