#!/usr/bin/env bash
# Installs what is missing, checks the layers, builds every program and runs every test:
# native unit tests, bounded fuzzing, the 32-bit build, and the Win32 and UI tests of the
# 64-bit program under Wine.
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

step "32-bit program and installer (the shipped build)"
tools/build.sh win32
# The 32-bit installer cannot run under this Wine: its header shows it is the program it should be.
cmake -DFILE=build/win32/Veilquill-1.0.1-setup.exe -DMACHINE=i386 -P cmake/check_pe_header.cmake

step "64-bit program, Win32 and UI tests under Wine"
tools/build.sh win64
mkdir -p build/screenshots
# Each test program runs in a Wine session of its own, so several run side by side: most of
# their time is spent waiting on Wine's dialogs, not on the processor.
VQ_SCREENSHOT_DIR="$root/build/screenshots" VQ_WINE_PER_PROGRAM=1 \
    tools/with_wine.sh ctest --test-dir build/win64 --output-on-failure -j 4
echo "Screenshots of the program under test: $root/build/screenshots"
