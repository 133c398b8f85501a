#!/usr/bin/env bash
# Holds the map of the build in ARCHITECTURE.md against the build itself,
# as CMake draws it (--graphviz): every library and program of ours is in
# the map's table; each uses only those of the rows above its own or left of
# it in its row; a library marked "no widgets" reaches Qt Widgets through
# nothing but the dialog seam, however indirectly.
#   tst_architecture.sh CMAKE SOURCE_DIR WORK_DIR [CMAKE_ARGS...]
# WORK_DIR is configured (never built) and kept, so that later runs are
# quicker.
set -uo pipefail
cmake=$1 source=$(realpath "$2") work=$3
shift 3
mkdir -p "$work"
work=$(realpath "$work")
# One run at a time in the kept folder: runs at once would configure it
# together and read each other's half-written files.
exec 9>"$work.lock"
flock 9

"$cmake" -S "$source" -B "$work" "$@" -DCORVANE_ONLY_DIRS= -DCORVANE_BUILD_TESTS=ON \
    --graphviz="$work/deps.dot" >"$work/configure.log" 2>&1 || { tail -n 40 "$work/configure.log"; exit 1; }

# The table of "Folders and their libraries": each name in backquotes in its
# second column, with its row and its place in the row.
awk '
    /^## / { inside = ($0 ~ /^## Folders and their libraries/) ; next }
    inside && /^\| `/ {
        row++
        split($0, cols, "|")
        count = split(cols[3], entries, ",")
        place = 0
        for (i = 1; i <= count; i++) {
            entry = entries[i]
            bare = (entry ~ /no widgets/)
            while (match(entry, /`[^`]+`/)) {
                print substr(entry, RSTART + 1, RLENGTH - 2), row, ++place, bare
                entry = substr(entry, RSTART + RLENGTH)
            }
            if (entries[i] ~ /benchmark programs/)
                print "(benchmarks)", row, ++place, 0
        }
    }' "$source/ARCHITECTURE.md" >"$work/table.txt"
[ -s "$work/table.txt" ] || { echo "FAIL: no table of folders and libraries in ARCHITECTURE.md"; exit 1; }

awk '
    function ours(id) { return (id in name) && kind[id] != "" }
    function place(n) { return (n in row) ? row[n] * 1000 + col[n] : -1 }
    function fail(msg) { print "FAIL: " msg; failures++ }
    FNR == NR { row[$1] = $2; col[$1] = $3; if ($4) bare[$1] = 1; next }
    # "node12" [ label = "corvane_dao", shape = octagon ];
    /^ *"node[0-9]+" \[ label = / {
        match($0, /"node[0-9]+"/); id = substr($0, RSTART, RLENGTH)
        match($0, /label = "[^"]*"/); n = substr($0, RSTART + 9, RLENGTH - 10)
        match($0, /shape = [a-z]+/); shape = substr($0, RSTART + 8, RLENGTH - 8)
        name[id] = n; byName[n] = id
        # Our targets: programs and libraries made here, not imported ones,
        # paths or plain link flags.
        if (n !~ /::|\// && shape ~ /^(egg|octagon|doubleoctagon|tripleoctagon|pentagon|hexagon)$/)
            kind[id] = shape
        next
    }
    /^ *"node[0-9]+" -> "node[0-9]+"/ {
        match($0, /"node[0-9]+"/); a = substr($0, RSTART, RLENGTH)
        rest = substr($0, RSTART + RLENGTH)
        match(rest, /"node[0-9]+"/); b = substr(rest, RSTART, RLENGTH)
        edges[a] = edges[a] " " b
        next
    }
    END {
        for (id in kind) {
            n = name[id]
            if (n ~ /^tst_/)
                continue
            if (!(n in row) && (n ~ /^bench_/ || n == "corvane_bench") && ("(benchmarks)" in row)) {
                row[n] = row["(benchmarks)"]; col[n] = 999
            }
            if (!(n in row)) {
                fail(n " is not in the table of ARCHITECTURE.md")
                continue
            }
            k = split(edges[id], used, " ")
            for (j = 1; j <= k; j++) {
                if (!ours(used[j]))
                    continue
                m = name[used[j]]
                if (m in row && place(m) >= place(n))
                    fail(n " uses " m ", which the table puts at or after it")
            }
        }
        # A library without widgets, and everything it links but the dialog
        # seam: none of them may be Qt Widgets.
        for (n in bare) {
            if (!(n in byName)) {
                fail(n " is marked without widgets but is no target")
                continue
            }
            delete seen; delete via
            top = 0; stack[++top] = byName[n]; seen[byName[n]] = 1
            while (top > 0) {
                id = stack[top--]
                k = split(edges[id], used, " ")
                for (j = 1; j <= k; j++) {
                    u = used[j]
                    if (u in seen || name[u] == "corvane_dialogs")
                        continue
                    seen[u] = 1; via[u] = id; stack[++top] = u
                    if (name[u] == "Qt6::Widgets") {
                        path = name[u]
                        for (p = via[u]; p != ""; p = via[p])
                            path = name[p] " -> " path
                        fail(n " is marked without widgets but links " path)
                    }
                }
            }
        }
        if (!failures)
            print "the build matches ARCHITECTURE.md"
        exit failures > 0
    }' "$work/table.txt" "$work/deps.dot"
