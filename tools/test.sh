#!/usr/bin/env bash
# Installs what is missing, checks the layers, builds every program and runs every test:
# native unit tests, bounded fuzzing, and the Win32 and UI tests of the 32-bit (shipped) and
# 64-bit programs under Wine, side by side. A machine that cannot run 32-bit programs says so
# and tests the 64-bit ones alone.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

step() { printf '\n== %s\n' "$*"; }

step "set-up"
bash tools/setup.sh

step "layers: includes point down only"
python3 tools/check_layers.py

step "native build and unit tests"
tools/build.sh native
ctest --test-dir build/native --output-on-failure

step "fuzzing (bounded)"
tools/build.sh fuzz
tests/fuzz/run_fuzzers.sh build/fuzz

step "32-bit and 64-bit programs and installers"
tools/build.sh win32
tools/build.sh win64
trees=(build/win64)
if ! why=$(tools/runs_32bit.sh); then
    echo "32-bit: NOT TESTED: $why; the 64-bit programs are tested alone"
elif [ ! -x /usr/lib/wine/wine ]; then
    echo "32-bit: NOT TESTED: no 32-bit Wine (/usr/lib/wine/wine); the 64-bit programs are tested alone"
else
    trees+=(build/win32)
fi

step "Win32 and UI tests under Wine: ${trees[*]}"
# One ctest runs both builds' tests (their names begin with x86. and x64.). Each test program
# runs in a Wine session of its own, so several run side by side: most of their time is spent
# waiting on Wine's dialogs, not on the processor, and six at a time on two cores took a fifth
# less time than four.
mkdir -p build/wine build/screenshots
for tree in "${trees[@]}"; do echo "subdirs(\"$root/$tree\")"; done >build/wine/CTestTestfile.cmake
VQ_SCREENSHOT_DIR="$root/build/screenshots" VQ_WINE_PER_PROGRAM=1 \
    tools/with_wine.sh ctest --test-dir build/wine --output-on-failure -j 6
echo "Screenshots of the programs under test: $root/build/screenshots"
