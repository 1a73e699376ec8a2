#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time on a copy of its seed corpus (the committed
# corpus is never written) and prints how many inputs each one tried.
# Usage: tests/fuzz/run_fuzzers.sh BUILD_DIR [SECONDS_PER_TARGET]
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_DIR [SECONDS_PER_TARGET]" >&2
  exit 2
fi
build_dir=$1
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/vq-fuzz.XXXXXX")

status=0
for target in fuzz_command_argument fuzz_parse_hex fuzz_record_content fuzz_strong_reader fuzz_view_text; do
  binary="$build_dir/tests/fuzz/$target"
  if [ ! -x "$binary" ]; then
    echo "$target: not built ($binary missing)" >&2
    status=1
    continue
  fi
  corpus="$work/$target/corpus"
  artifacts="$work/$target/artifacts/"
  mkdir -p "$corpus" "$artifacts"
  cp "$here/corpus/$target/"* "$corpus/"
  log="$work/$target/log.txt"
  "$binary" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts" \
    "$corpus" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ $rc -ne 0 ]; then
    echo "$target: FAILED (exit $rc) after ${runs:-?} runs; log and crashing input in $work/$target"
    tail -n 30 "$log"
    status=1
  else
    echo "$target: ${runs:-?} runs in ${seconds} s, no failure"
  fi
done

if [ $status -eq 0 ]; then
  rm -rf "$work"
fi
exit $status
