#!/bin/sh
# Includes between the library's folders point down the layers only: a folder may include
# itself and any folder of a lower layer; folders of one layer never include each other (the
# front ends share nothing but what lies below them). resources/ and generated headers are data.
# Prints every include that breaks this, and the count of includes from folder to folder.
set -eu
top=${1:-$(dirname "$0")/..}
cd "$top"

layers='
module  7
menu    6
modern  6
dropmenu 6
proppage 6
launch  5
commands 4
selection 3
droplets 3
support 2
com     1
'

for folder in $(printf '%s\n' "$layers" | awk 'NF { print $1 }'); do
    for file in "$folder"/*.h "$folder"/*.cpp; do
        [ -f "$file" ] && grep -H -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/' "$file" || true
    done
done | awk -v layers="$layers" '
BEGIN {
    n = split(layers, line, "\n")
    for (i = 1; i <= n; ++i) if (split(line[i], f, " ") == 2) rank[f[1]] = f[2]
}
{
    split($0, at, ":"); file = at[1]; number = at[2]
    from = file; sub(/\/.*/, "", from)
    target = $0; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
    to = target; sub(/\/.*/, "", to)
    if (!(to in rank) || to == from) next
    count[from " -> " to]++
    if (rank[to] >= rank[from]) {
        printf "%s:%s: %s (layer %d) includes %s (layer %d)\n", file, number, from, rank[from], target, rank[to]
        bad++
    }
}
END {
    print "Includes between folders:"
    for (pair in count) printf "  %-22s %d\n", pair, count[pair] | "sort"
    close("sort")
    if (bad) { printf "%d include(s) run upward or sideways\n", bad; exit 1 }
    print "Every include points down."
}'
