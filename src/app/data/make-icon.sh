#!/usr/bin/env bash
# Regenerates org.plovane.Plovane.png (256 x 256) from the pixel map below; needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
map=(
"................"
"..bb........bb.."
".bbbb......bbbb."
".bbbbbbbbbbbbbb."
".bbwwwwbbwwwwbb."
".bbwkwwbbwwkwbb."
".bbwwwwbbwwwwbb."
".bbbbbbbbbbbbbb."
"..bbbbbkkbbbbb.."
"..bbbbbkkbbbbb.."
"..bbbbpppbbbbb.."
"...bbbbppbbbb..."
"....bbbbbbbb...."
".....bbbbbb....."
"................"
"................"
)
declare -A colour=([b]="#c98a4b" [w]="#fff4e0" [k]="#2b1d14" [p]="#e86a7a")
draw=()
for y in "${!map[@]}"; do
  row="${map[$y]}"
  for ((x = 0; x < ${#row}; x++)); do
    c="${row:$x:1}"
    [ "$c" = "." ] && continue
    draw+=(-fill "${colour[$c]}" -draw "point $x,$((y + 1))")
  done
done
convert -size 16x16 xc:none -fill "#1d3b53" -draw "roundrectangle 0,0 15,15 3,3" "${draw[@]}" \
  -filter point -resize 256x256 -strip org.plovane.Plovane.png
