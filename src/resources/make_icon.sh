#!/usr/bin/env bash
# Draws the program's icon (a black tile with four gradient squares) with
# ImageMagick. Run by hand when the art changes; the .ico is committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
sizes="16 24 32 48 64 256"
for s in $sizes; do
  q=$((s * 7 / 16)); g=$((s / 16 + 1)); o=$(( (s - 2*q - g) / 2 ))
  convert -size ${q}x${q} gradient:'#4060ff'-'#001040' "$tmp/a.png"
  convert -size ${q}x${q} gradient:'#ff60a0'-'#400010' "$tmp/b.png"
  convert -size ${q}x${q} gradient:'#60ff80'-'#004010' "$tmp/c.png"
  convert -size ${q}x${q} gradient:'#ffb040'-'#402000' "$tmp/d.png"
  convert -size ${s}x${s} xc:black \
    "$tmp/a.png" -geometry +$o+$o -composite \
    "$tmp/b.png" -geometry +$((o+q+g))+$o -composite \
    "$tmp/c.png" -geometry +$o+$((o+q+g)) -composite \
    "$tmp/d.png" -geometry +$((o+q+g))+$((o+q+g)) -composite \
    -depth 8 -alpha on -type TrueColorAlpha "$tmp/icon$s.png"
done
# 256 px is stored as PNG inside the .ico (as Windows expects), the rest as bitmaps.
convert $(for s in $sizes; do echo "$tmp/icon$s.png"; done) lumvex.ico
rm -rf "$tmp"
