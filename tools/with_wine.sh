#!/usr/bin/env bash
# Runs a command inside a Wine session of its own: a fresh WINEPREFIX and a private Xvfb
# display. Stops only what it started: its Xvfb by process id and its own wineserver.
#
#   tools/with_wine.sh COMMAND [ARGS...]
#
# Inside the command, DISPLAY, WINEPREFIX, VQ_WINE (the wine64 loader, which also starts 32-bit
# programs where 32-bit Wine is installed) and
# VQ_WINE_SESSION=1 are set. With VQ_KEEP_PREFIX=1 the prefix is left for inspection.
#
# With VQ_WINE_PER_PROGRAM=1 the prefix booted here becomes a template instead: every Windows
# program that tools/wine_exec.sh starts inside the command gets a session of its own (its own
# Xvfb, wineserver and a copy of the template), so that ctest can run test programs side by
# side without one program's windows or files meeting another's.
set -euo pipefail

if [ "${VQ_WINE_SESSION:-}" = 1 ]; then
    exec "$@"
fi

VQ_WINE=${VQ_WINE:-/usr/lib/wine/wine64}
[ -x "$VQ_WINE" ] || VQ_WINE=$(command -v wine64 || command -v wine)
export VQ_WINE
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Wine's own fonts only (MS Sans Serif, Tahoma, Courier...): they come closest to Windows,
# and Wine 8's text shaping crashes inside gdi32 on some marks in the host's DejaVu fonts.
export FONTCONFIG_FILE="$(cd "$(dirname "$0")" && pwd)/wine-fonts.conf"

session=$(mktemp -d /tmp/veilquill-wine.XXXXXX)
export WINEPREFIX="$session/prefix"
xvfb_pid=""

cleanup() {
    local status=$?
    WINEPREFIX="$WINEPREFIX" timeout 20 wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ "${VQ_KEEP_PREFIX:-0}" != 1 ]; then
        rm -rf "$session"
    else
        echo "with_wine: kept $session" >&2
    fi
    exit $status
}
trap cleanup EXIT INT TERM

# Xvfb picks a free display itself and writes its number to the descriptor. Several sessions
# starting at once on a busy machine can be slow to get one, so wait generously and try twice.
start_xvfb() {
    exec {display_fd}<> <(:)
    Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >"$session/xvfb.log" 2>&1 &
    xvfb_pid=$!
    display=""
    for _ in $(seq 1 600); do
        if read -r -t 0.1 display <&"$display_fd" && [ -n "$display" ]; then
            break
        fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
    done
    exec {display_fd}<&-
    [ -n "$display" ] && return 0
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
    return 1
}
if ! start_xvfb && ! start_xvfb; then
    echo "with_wine: Xvfb did not start:" >&2
    cat "$session/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"

if [ -n "${VQ_WINE_TEMPLATE:-}" ] && [ -d "$VQ_WINE_TEMPLATE" ]; then
    # A copy of a booted prefix: the system files are shared as hard links (Wine only reads
    # them), the registry and the user profile, which programs write, are copied.
    cp -al "$VQ_WINE_TEMPLATE" "$WINEPREFIX"
    for f in "$WINEPREFIX"/*.reg; do
        cp --remove-destination "$VQ_WINE_TEMPLATE/$(basename "$f")" "$f"
    done
    rm -rf "$WINEPREFIX/drive_c/users"
    cp -a "$VQ_WINE_TEMPLATE/drive_c/users" "$WINEPREFIX/drive_c/users"
else
    mkdir -p "$WINEPREFIX"
    "$VQ_WINE" wineboot -i >"$session/wineboot.log" 2>&1 || true
    WINEPREFIX="$WINEPREFIX" wineserver -w 2>/dev/null || true
fi

export VQ_WINE_SESSION_DIR="$session"
if [ "${VQ_WINE_PER_PROGRAM:-0}" = 1 ] && [ -z "${VQ_WINE_TEMPLATE:-}" ]; then
    export VQ_WINE_TEMPLATE="$WINEPREFIX"
    "$@"
else
    export VQ_WINE_SESSION=1
    "$@"
fi
