#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the #include lines of src/ against the layers: domain <- gui <- app.
# A file may include its own layer and the layers below it, never one above;
# a domain file includes no Qt module but Qt Core. With the three layers
# strictly ordered, no include circle can span two folders.
# Inside the domain, the folders build on each other the same way: a folder
# includes only itself and the folders it lists below.
# Inside the GUI layer, the areas (setup, input, alerts, dialogs, tools)
# stand side by side on what all of them use: the layer's root, printing/
# and widgets/, which include no area. An area includes another area only
# through the headers that area exports (its windows, mostly), listed below.
# Prints each offending line and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/../src"

rank() {
    case "$1" in
        domain) echo 0 ;;
        gui) echo 1 ;;
        app) echo 2 ;;
        *) echo -1 ;;
    esac
}

# The folders of the domain and the folders each may include.
declare -A folder_reaches=(
    [job]="job"
    [platform]="platform"
    [entry]="entry job platform"
    [reports]="reports job"
    [files]="files entry job platform"
    [roster]="roster files entry job platform"
    [tools]="tools roster files reports entry job platform"
    [journal]="journal tools roster files reports entry job platform"
)

# The areas of the GUI layer and the headers each lets the others include.
declare -A area_exports=(
    [setup]="frm_film.h frm_settei_joho.h"
    [input]="form1.h frm_teisei.h"
    [alerts]="alert_window_base.h frm_alert.h frm_stop.h frm_t_alert.h"
    [dialogs]="frm_appli.h frm_end.h frm_nyuuryoku.h frm_start.h"
    [tools]="frm_lab_export.h frm_lab_order.h frm_photo_preview.h frm_photo_search.h frm_roster_import.h frm_roster_print.h frm_sample_sheet.h run_tools.h"
)

# The area of a path inside the GUI layer ("gui/tools/x.h" -> tools); empty
# for the layer's root and the shared folders.
area_of() {
    local inner=${1#gui/}
    [[ $inner == */* ]] || return 0
    local folder=${inner%%/*}
    [[ -n ${area_exports[$folder]+set} ]] && echo "$folder"
    return 0
}

faults=0
fault() {
    echo "$1"
    faults=$((faults + 1))
}

while IFS= read -r -d '' file; do
    layer=${file%%/*}
    own=$(rank "$layer")
    while IFS=: read -r line text; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"].*/\1/' <<<"$text")
        if [[ $target == ../* || $target == */../* ]]; then
            fault "src/$file:$line: reaches out of its folder: $target"
            continue
        fi
        folder=${target%%/*}
        if [[ $target == */* ]]; then
            other=$(rank "$folder")
            if ((other > own)); then
                fault "src/$file:$line: the $layer layer includes the $folder layer above it: $target"
            fi
        fi
        if [[ $layer == domain && $folder == domain ]]; then
            mine=$(cut -d/ -f2 <<<"$file")
            theirs=$(cut -d/ -f2 <<<"$target")
            if [[ -z ${folder_reaches[$mine]+set} ]]; then
                fault "src/$file:$line: a domain file outside the folders (${!folder_reaches[*]})"
            elif [[ " ${folder_reaches[$mine]} " != *" $theirs "* ]]; then
                fault "src/$file:$line: the domain's $mine folder includes its $theirs folder: $target"
            fi
        fi
        if [[ $layer == gui && $folder == gui ]]; then
            mine=$(area_of "$file")
            theirs=$(area_of "$target")
            inner=${file#gui/}
            if [[ -n $theirs && $theirs != "$mine" ]]; then
                if [[ -z $mine ]]; then
                    where=${inner%%/*}
                    [[ $inner == */* ]] || where="root"
                    fault "src/$file:$line: the GUI layer's $where includes the $theirs area: $target"
                elif [[ " ${area_exports[$theirs]} " != *" ${target##*/} "* ]]; then
                    fault "src/$file:$line: the $mine area includes what the $theirs area does not export: $target"
                fi
            fi
        fi
        if [[ $layer == domain && $target =~ ^Qt(Gui|Widgets|PrintSupport|Multimedia|Test|Network)(/|$) ]]; then
            fault "src/$file:$line: the domain uses Qt Core only: $target"
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find domain gui app -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.ui' \) -print0)

# The .ui files name the headers of their custom widgets.
while IFS=: read -r file line text; do
    header=$(sed -E 's/.*<header>([^<]*)<\/header>.*/\1/' <<<"$text")
    if [[ ${header%%/*} == app ]]; then
        fault "src/$file:$line: a window layout includes the app layer: $header"
    fi
done < <(grep -rnH '<header>' gui --include='*.ui' || true)

if ((faults > 0)); then
    echo "$faults include(s) break the layers"
    exit 1
fi
echo "layers: every include points down (domain <- gui <- app, the domain's folders in order)," \
    "and the GUI areas meet only through what they export"
