#!/usr/bin/env bash
# Times the document cycle through the real window under Wine: open, encrypt or decrypt
# preview and save of plain and encrypted files of 16 bytes to 256 MiB, each over the same
# step on the 16-byte file, next to a plain copy of the same file and the program's peak
# working set, with the targets beside them; then the same in the strong format ("Use strong
# encryption" ticked, and the file it saved decrypted), over the original format's 16-byte
# steps, with its own targets. The machine's load is printed before and after.
#
#   bench/run_window_bench.sh [BUILD_DIR] [ROUNDS] [SIZES]
#
# BUILD_DIR is a build of either processor (default: build) with the targets Veilquill and
# document_window_bench built; SIZES a comma list such as 16,1M,16M,256M (the default). The
# files are made in a temporary folder and removed afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${1:-$repo/build}
rounds=${2:-1}
sizes=${3:-16,1M,16M,256M}
bench="$build/bench/window/document_window_bench.exe"
program="$build/Veilquill.exe"
for file in "$bench" "$program"; do
    [ -f "$file" ] || { echo "no $file: build the targets Veilquill and document_window_bench first" >&2; exit 1; }
done

work=$(mktemp -d /tmp/veilquill-window-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
windows_work="Z:$(echo "$work" | tr '/' '\\')"
echo "load before: $(uptime)"
VQ_PROGRAM=$(cd "$(dirname "$program")" && pwd)/$(basename "$program") \
    "$repo/tools/with_wine.sh" "$repo/tools/wine_exec.sh" "$bench" "$windows_work" "$rounds" "$sizes"
echo "load after: $(uptime)"
