#!/usr/bin/env bash
# Runs one Windows program under Wine; ctest uses this as its emulator for both Windows builds
# (the wine64 loader hands a 32-bit program on to 32-bit Wine). Inside a session of
# tools/with_wine.sh it reuses that session, otherwise it makes one.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ "${VQ_WINE_SESSION:-}" != 1 ]; then
    exec "$here/with_wine.sh" "$here/wine_exec.sh" "$@"
fi
exec "${VQ_WINE:-/usr/lib/wine/wine64}" "$@"
