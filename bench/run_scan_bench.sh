#!/usr/bin/env bash
# Makes a folder tree of about 20,000 files (nested folders, a few sparse files of 100 MB and
# more, some encrypted files) and times the folder scan on it under Wine, next to a minimal
# scanner and a naive scan that reads every file whole.
#
#   bench/run_scan_bench.sh [BUILD_DIR] [ROUNDS] [full]
#
# BUILD_DIR is a 64-bit build (default: build); the tree is made in a temporary folder and
# removed afterwards. "full" adds the naive scan with its per-entry status texts,
# which takes about a minute a round.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${1:-$repo/build}
rounds=${2:-3}
full=${3:-}
bench="$build/bench/win32/scan_bench.exe"
[ -f "$bench" ] || { echo "no $bench: build the target scan_bench first" >&2; exit 1; }

work=$(mktemp -d /tmp/veilquill-scan-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
mkdir "$tree"

# 20 top folders, each with 10 sub-folders of 100 files: 20,000 files of a few hundred bytes,
# one in 50 ending in the trailer 0xDE 0xAD.
body=$(head -c 300 /dev/zero | tr '\0' 'x')
for top in $(seq -w 1 20); do
    for sub in $(seq -w 1 10); do
        folder="$tree/top$top/sub$sub"
        mkdir -p "$folder"
        for n in $(seq -w 1 100); do
            if [ $((10#$n % 50)) -eq 0 ]; then
                printf '%s\336\255' "$body" >"$folder/file$n.enc"
            else
                printf '%s' "$body" >"$folder/file$n.txt"
            fi
        done
    done
done
# Big files, sparse: nothing is stored for their zeros.
truncate -s 100M "$tree/top01/big-plain.bin"
truncate -s 150M "$tree/top02/big-encrypted.bin"
printf '\336\255' >>"$tree/top02/big-encrypted.bin"
truncate -s 300M "$tree/top03/sub01/bigger-plain.bin"

echo "tree: $(find "$tree" -type f | wc -l) files, $(find "$tree" -mindepth 1 -type d | wc -l) folders"
windows_tree="Z:$(echo "$tree" | tr '/' '\\')"
"$repo/tools/with_wine.sh" "$repo/tools/wine_exec.sh" "$bench" "$windows_tree" "$rounds" $full
