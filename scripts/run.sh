#!/usr/bin/env bash
# Sets up the machine, builds tyvorn and starts it under Wine on your display,
# or on an own Xvfb when there is none.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$root/scripts/lib.sh"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" win

exe="$root/build/win/tyvorn.exe"
if [ ! -f "$exe" ]; then
  echo "tyvorn: the build is done; the program itself does not exist yet."
  exit 0
fi
wine_env "$root/build/win"
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb
  trap 'wineserver -k 2>/dev/null; stop_xvfb' EXIT
  echo "tyvorn: no display, running on Xvfb $DISPLAY; look with: DISPLAY=$DISPLAY import -window root shot.png"
fi
wine_prefix_ready
cd "$root/build/win"
"$TYVORN_WINE" "$exe"
