#!/usr/bin/env bash
# Configures and builds one of the project's build trees under build/.
#
#   tools/build.sh native|fuzz|win32|win64 [extra cmake arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=$1
shift
args=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DVQ_WERROR=ON)
# A compiler cache (set up by tools/setup.sh) makes a rebuild of unchanged sources cheap, also
# in another clone: paths under the checkout are kept relative to it.
# Without a cache folder it can write, the compilers run as they are.
cache_home=${XDG_CACHE_HOME:-${HOME:+$HOME/.cache}}
if [ -z "${CCACHE_DIR:-}" ] && [ -n "$cache_home" ]; then
    export CCACHE_DIR=$cache_home/ccache
fi
if command -v ccache >/dev/null && [ -n "${CCACHE_DIR:-}" ] &&
    mkdir -p "$CCACHE_DIR" 2>/dev/null && [ -w "$CCACHE_DIR" ]; then
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
    args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
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
