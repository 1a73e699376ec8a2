#!/usr/bin/env bash
# Configures and builds one of the project's build trees under build/.
#
#   tools/build.sh native|fuzz|win32|win64 [extra cmake arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=$1
shift
args=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DVQ_WERROR=ON)
case "$kind" in
native) ;;
fuzz) args+=(-DVQ_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
win32 | win64)
    bits=${kind#win}
    args+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw$bits.cmake"
        -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/wine_exec.sh")
    ;;
*)
    echo "usage: $0 native|fuzz|win32|win64" >&2
    exit 2
    ;;
esac
cmake -S "$root" -B "$root/build/$kind" "${args[@]}" "$@" >/dev/null
cmake --build "$root/build/$kind" -j "$(nproc)"
