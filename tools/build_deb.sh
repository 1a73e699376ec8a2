#!/usr/bin/env bash
# Builds veilquill-cli's Debian package in the native build tree and says where it is:
#
#   tools/build_deb.sh     ->  build/native/veilquill-cli_<version>_<arch>.deb
#
# It builds only what the package holds (the program, its manual page and changelog), not the
# tests. Install the package with: sudo apt-get install ./build/native/veilquill-cli_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVQ_WERROR=ON >/dev/null
cmake --build "$build" --target veilquill-cli -j "$(nproc)"
(cd "$build" && cpack -G DEB) >"$build/cpack.log" 2>&1 || {
    cat "$build/cpack.log" >&2
    exit 1
}
version=$("$build/cli/veilquill-cli" --version | sed -n 's/^veilquill-cli //p')
echo "$build/veilquill-cli_${version}_$(dpkg --print-architecture).deb"
