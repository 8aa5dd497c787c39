#!/bin/bash
# Counts the lines of each file, with arrays and [[ ]].
set -euo pipefail
declare -A counts=()
declare -i total=0
for file in "$@"; do
    if [[ ! -f $file ]]; then
        echo "skipping $file" >&2
        continue
    fi
    local_count=$(wc -l < "$file")
    counts[$file]=$local_count
    (( total += local_count ))
done
function report {
    local name
    for name in "${!counts[@]}"; do
        printf '%8d %s\n' "${counts[$name]}" "$name"
    done
}
report
select answer in yes no; do break; done
readonly total
echo "total: $total"
