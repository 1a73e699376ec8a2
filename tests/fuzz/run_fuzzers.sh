#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time on a copy of its seed corpus (the committed
# corpus is never written), as many side by side as there are cores, and prints how many
# inputs each one tried.
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

targets=(fuzz_command_argument fuzz_parse_hex fuzz_record_content fuzz_strong_reader fuzz_view_text)

# Runs one target and leaves its verdict, one line, in its folder.
run_target() {
  local target=$1 binary="$build_dir/tests/fuzz/$1" folder="$work/$1"
  mkdir -p "$folder/corpus" "$folder/artifacts"
  if [ ! -x "$binary" ]; then
    echo "$target: not built ($binary missing)" >"$folder/verdict"
    return 1
  fi
  cp "$here/corpus/$target/"* "$folder/corpus/"
  "$binary" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$folder/artifacts/" \
    "$folder/corpus" >"$folder/log.txt" 2>&1
  local rc=$? runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$folder/log.txt" | tail -n 1)
  if [ $rc -ne 0 ]; then
    echo "$target: FAILED (exit $rc) after ${runs:-?} runs; log and crashing input in $folder" >"$folder/verdict"
    return 1
  fi
  echo "$target: ${runs:-?} runs in ${seconds} s, no failure" >"$folder/verdict"
}

# Each target is one process on one core: as many run at once as there are cores.
cores=$(nproc 2>/dev/null || echo 1)
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$cores" ]; then
    wait -n
    running=$((running - 1))
  fi
  run_target "$target" &
  running=$((running + 1))
done
wait

status=0
for target in "${targets[@]}"; do
  cat "$work/$target/verdict"
  if ! grep -q 'no failure$' "$work/$target/verdict"; then
    [ -f "$work/$target/log.txt" ] && tail -n 30 "$work/$target/log.txt"
    status=1
  fi
done

if [ $status -eq 0 ]; then
  rm -rf "$work"
fi
exit $status
