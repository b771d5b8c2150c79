#!/bin/bash
# Checks that every include between the library's folders points down the
# layers below, bottom first: a folder may include its own headers and those
# of folders listed before it, never one after it. Prints each include that
# points up and exits non-zero when there is one.
#
#   scripts/check-layers.sh [SOURCE_DIR]   (default: the checkout's src/velorin)
set -u
top=${1:-$(cd "$(dirname "$0")/.." && pwd)/src/velorin}
# The layer order is the folder list of the library's build file.
read -ra layers < <(sed -nE 's/^set\(VELORIN_SUBSYSTEMS (.*)\)/\1/p' "$top/CMakeLists.txt")
if ((${#layers[@]} == 0)); then
    echo "no VELORIN_SUBSYSTEMS list in $top/CMakeLists.txt" >&2
    exit 2
fi

rank() {
    local i
    for i in "${!layers[@]}"; do
        [[ ${layers[$i]} == "$1" ]] && { echo "$i"; return; }
    done
    echo -1
}

status=0
for dir in "$top"/*/; do
    folder=$(basename "$dir")
    own=$(rank "$folder")
    if ((own < 0)); then
        echo "$folder: a folder the layer list does not name" >&2
        status=1
        continue
    fi
    while IFS=: read -r file line target; do
        other=$(rank "$target")
        if ((other < 0 || other > own)); then
            echo "${file#"$top"/}:$line: $folder includes $target, which is not below it" >&2
            status=1
        fi
    done < <(grep -rnoE '#include +<velorin/[a-z]+/' "$dir" | sed -E 's#^([^:]+):([0-9]+):.*<velorin/([a-z]+)/$#\1:\2:\3#' |
             awk -F: -v self="$folder" '$3 != self')
done
exit $status
