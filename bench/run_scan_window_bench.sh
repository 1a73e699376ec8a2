#!/usr/bin/env bash
# Times the folder scan through the real window under Wine: a copy of the program is driven
# through "Find Encrypted" and the folder browse on the tree of make_scan_tree.sh, from "Stop
# Find" appearing to the summary, next to the minimal scanner in the same Wine session.
#
#   bench/run_scan_window_bench.sh [BUILD_DIR] [ROUNDS] [LABEL=PROGRAM.exe ...]
#
# BUILD_DIR is a 64-bit build with tests under Wine (default: build/win64) and the target
# scan_window_bench built. Without programs, its Veilquill.exe is driven; with several (a build
# before a change and one after, say), every round drives each in turn.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${1:-$repo/build/win64}
rounds=${2:-5}
shift $(($# < 2 ? $# : 2))
bench="$build/bench/window/scan_window_bench.exe"
[ -f "$bench" ] || { echo "no $bench: build the target scan_window_bench first" >&2; exit 1; }

work=$(mktemp -d /tmp/veilquill-scan-window-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
tree="$work/tree"
"$here/make_scan_tree.sh" "$tree"
windows_tree="Z:$(echo "$tree" | tr '/' '\\')"
export VQ_PROGRAM=${VQ_PROGRAM:-$build/Veilquill.exe}
"$repo/tools/with_wine.sh" "$repo/tools/wine_exec.sh" "$bench" "$windows_tree" "$rounds" "$@"
