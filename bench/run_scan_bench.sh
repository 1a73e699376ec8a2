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
"$here/make_scan_tree.sh" "$tree"
windows_tree="Z:$(echo "$tree" | tr '/' '\\')"
"$repo/tools/with_wine.sh" "$repo/tools/wine_exec.sh" "$bench" "$windows_tree" "$rounds" $full
