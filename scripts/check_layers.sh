#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the #include lines of src/ against the layers: domain <- windows <-
# app. A file may include its own layer and the layers below it, never one
# above; a domain file includes no Qt module but Qt Core. With the three
# layers strictly ordered, no include circle can span two folders.
# Inside the domain, the rooms build on each other the same way: a room
# includes only itself and the rooms it lists below.
# Prints each offending line and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/../src"

rank() {
    case "$1" in
        domain) echo 0 ;;
        windows) echo 1 ;;
        app) echo 2 ;;
        *) echo -1 ;;
    esac
}

# The rooms of the domain and the rooms each may include.
declare -A room_reaches=(
    [job]="job"
    [platform]="platform"
    [entry]="entry job platform"
    [reports]="reports job"
    [files]="files entry job platform"
    [tools]="tools files reports entry job platform"
    [journal]="journal tools files reports entry job platform"
)

faults=0
while IFS= read -r -d '' file; do
    layer=${file%%/*}
    own=$(rank "$layer")
    while IFS=: read -r line text; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"].*/\1/' <<<"$text")
        if [[ $target == ../* || $target == */../* ]]; then
            echo "src/$file:$line: reaches out of its folder: $target"
            faults=$((faults + 1))
            continue
        fi
        folder=${target%%/*}
        if [[ $target == */* ]]; then
            other=$(rank "$folder")
            if ((other > own)); then
                echo "src/$file:$line: the $layer layer includes the $folder layer above it: $target"
                faults=$((faults + 1))
            fi
        fi
        if [[ $layer == domain && $folder == domain ]]; then
            room=$(cut -d/ -f2 <<<"$file")
            target_room=$(cut -d/ -f2 <<<"$target")
            if [[ -z ${room_reaches[$room]+set} ]]; then
                echo "src/$file:$line: a domain file outside the rooms (${!room_reaches[*]})"
                faults=$((faults + 1))
            elif [[ " ${room_reaches[$room]} " != *" $target_room "* ]]; then
                echo "src/$file:$line: the domain's $room room includes the $target_room room: $target"
                faults=$((faults + 1))
            fi
        fi
        if [[ $layer == domain && $target =~ ^Qt(Gui|Widgets|PrintSupport|Multimedia|Test|Network)(/|$) ]]; then
            echo "src/$file:$line: the domain uses Qt Core only: $target"
            faults=$((faults + 1))
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find domain windows app -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.ui' \) -print0)

# The .ui files name the headers of their custom widgets.
while IFS=: read -r file line text; do
    header=$(sed -E 's/.*<header>([^<]*)<\/header>.*/\1/' <<<"$text")
    if [[ ${header%%/*} == app ]]; then
        echo "src/$file:$line: a window layout includes the app layer: $header"
        faults=$((faults + 1))
    fi
done < <(grep -rnH '<header>' windows --include='*.ui' || true)

if ((faults > 0)); then
    echo "$faults include(s) break the layers"
    exit 1
fi
echo "layers: every include points down (domain <- windows <- app, and the domain's rooms in order)"
