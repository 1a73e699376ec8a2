#!/usr/bin/env bash
# Times the document cycle on a file of SIZE_MIB mebibytes (default 64) under Wine: open,
# encrypt preview and encrypted save, then open, decrypt preview and decrypted save, next to a
# plain copy of the same file in the same run, with the previews' processor time and the peak
# working set.
#
#   bench/run_document_bench.sh [BUILD_DIR] [ROUNDS] [SIZE_MIB]
#
# BUILD_DIR is a 64-bit build (default: build) with the target document_bench built; the
# files are made in a temporary folder and removed afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${1:-$repo/build}
rounds=${2:-3}
size_mib=${3:-64}
bench="$build/bench/win32/document_bench.exe"
[ -f "$bench" ] || { echo "no $bench: build the target document_bench first" >&2; exit 1; }

work=$(mktemp -d /tmp/veilquill-document-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
windows_work="Z:$(echo "$work" | tr '/' '\\')"
"$repo/tools/with_wine.sh" "$repo/tools/wine_exec.sh" "$bench" "$windows_work" "$size_mib" "$rounds"
