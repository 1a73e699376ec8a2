#!/usr/bin/env bash
# Builds Veilquill and starts it under Wine: on your display when there is one, otherwise
# under a private Xvfb, where it takes a screenshot, says where it is, and stops the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
tools/build.sh win32
tools/build.sh win64
# The 32-bit program is the one users get; a machine that cannot run it starts the 64-bit one.
program="$root/build/win32/Veilquill.exe"
if ! why=$(tools/runs_32bit.sh) || [ ! -x /usr/lib/wine/wine ]; then
    echo "Starting the 64-bit program: ${why:-no 32-bit Wine}"
    program="$root/build/win64/Veilquill.exe"
fi
wine=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's own fonts only: closest to Windows, and clear of a text-shaping crash in Wine 8
# with the host's DejaVu fonts.
export FONTCONFIG_FILE="$root/tools/wine-fonts.conf"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export WINEPREFIX=${WINEPREFIX:-$HOME/.veilquill-wine}
    exec "$wine" "$program" "$@"
fi

shot="$root/build/screenshots/veilquill.png"
mkdir -p "$(dirname "$shot")"
cat >"$root/build/run-under-xvfb.sh" <<SCRIPT
#!/usr/bin/env bash
"\$VQ_WINE" "$program" "\$@" &
pid=\$!
sleep 8
xwd -root -silent -display "\$DISPLAY" | /usr/bin/convert xwd:- png:"$shot"
kill "\$pid" 2>/dev/null || true
wait "\$pid" 2>/dev/null || true
SCRIPT
tools/with_wine.sh bash "$root/build/run-under-xvfb.sh" "$@"
echo "No display: Veilquill ran under Xvfb; screenshot saved to $shot"
