#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that every C++ file of the tree is as clang-format leaves it and
# names its licence (SPDX) at the top.
# Versions of clang-format format a little differently; the tree is kept in
# the form of clang-format 14 (Debian 12's), so with another version the
# check is skipped (exit 77), unless clang-format-14 is also installed.
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=""
for candidate in clang-format-14 clang-format; do
    if command -v "$candidate" >/dev/null &&
        "$candidate" --version | grep -qE 'version 14\.'; then
        formatter=$candidate
        break
    fi
done
if [[ -z $formatter ]]; then
    echo "format: skipped, clang-format 14 is not installed ($(clang-format --version 2>/dev/null || echo none))"
    exit 77
fi

mapfile -t files < <(git ls-files -- '*.cpp' '*.h' 2>/dev/null || find src tests bench -name '*.cpp' -o -name '*.h')
differing=()
for file in "${files[@]}"; do
    if ! "$formatter" --style=file "$file" | cmp -s - "$file"; then
        differing+=("$file")
    fi
done
# Every source file names its licence at the top.
for file in "${files[@]}"; do
    if ! head -2 "$file" | grep -q 'SPDX-License-Identifier: MIT'; then
        differing+=("$file (no SPDX-License-Identifier line at the top)")
    fi
done
if ((${#differing[@]} > 0)); then
    printf 'not formatted: %s\n' "${differing[@]}"
    echo "run: $formatter -i --style=file ${differing[*]}"
    exit 1
fi
echo "format: ${#files[@]} files as clang-format leaves them"
