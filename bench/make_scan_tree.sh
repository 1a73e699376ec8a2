#!/usr/bin/env bash
# Makes the folder scan's benchmark tree in FOLDER (which must not exist yet): 20 top folders,
# each with 10 sub-folders of 100 files, 20,000 files of a few hundred bytes, one in 50 ending
# in the trailer 0xDE 0xAD, and a few sparse files of 100 MB and more.
#
#   bench/make_scan_tree.sh FOLDER
set -euo pipefail
tree=$1
mkdir "$tree"
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
