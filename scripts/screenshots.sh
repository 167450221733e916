#!/usr/bin/env bash
# Makes the pictures of the user manual: the real windows of the tool on Qt's offscreen platform,
# connected to the simulated controller inside the tool, each in the state its page describes
# (docs/screenshots/screenshots.cpp). Run it again after a window changes. One screen size and the
# DejaVu fonts alone, so that a picture changes only when its window does.
#   usage: scripts/screenshots.sh [WIDTHxHEIGHT [FOLDER]]
#   the screen, 1280x1024 when not given; the pictures go to FOLDER, docs/manuale/img when not given.
#   Without a size it also makes form1-portatile.png: the main window connected on a laptop's
#   1366x768 screen, of which the desktop's panels leave about 720 pixels of height.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
size="${1:-1280x1024}"
out="${2:-$here/docs/manuale/img}"
if ! [[ $size =~ ^([0-9]+)x([0-9]+)$ ]]; then
  echo "usage: scripts/screenshots.sh [WIDTHxHEIGHT [FOLDER]]" >&2
  exit 2
fi
"$here/scripts/setup.sh"
build="${BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target tq310-screenshots >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/run"
# pictures WIDTH HEIGHT [NAME]: the program on a screen of that size (NAME: the main window alone).
pictures() {
  cat > "$work/screen.json" <<JSON
{ "screens": [ { "name": "manuale", "x": 0, "y": 0, "width": $1, "height": $2,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON
  rm -rf "$work/copie" "$work/porte" "$work/cache"
  # Nothing of this machine in the pictures: its own fonts, font cache, backups and port aliases.
  env -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS -u QT_FONT_DPI -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE \
    LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    QT_QPA_PLATFORM="offscreen:configfile=$work/screen.json" \
    FONTCONFIG_FILE="$here/docs/screenshots/fonts.conf" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run" \
    TQ310_BACKUPS="$work/copie" TQ310_PORT_ALIASES="$work/porte" TQ310_MANUAL="$here/docs/manuale" \
    "$build/docs/screenshots/tq310-screenshots" "$out" ${3:+"$3"} 2> >(grep -v '^This plugin does not support' >&2)
}
pictures "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}"
if [ $# -eq 0 ]; then
  pictures 1366 720 form1-portatile
fi
