#!/usr/bin/env bash
# Lays every 1x picture of an artwork tree out on a light and on a dark ground, with its @2x variant
# beside it, and renders the sheet to a PNG.
# Usage: contact-sheet.sh ARTWORK_DIR OUTPUT.png
set -euo pipefail
artwork=$(cd "$1" && pwd)
output=$2
# librsvg reads images only from the sheet's own folder and below, so the sheet sits beside the tree.
sheet="$(dirname "$artwork")/$(basename "$artwork")-sheet.svg"
tree=$(basename "$artwork")

png_size() { # prints "width height" from the PNG header
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}
xml_escape() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/"/\&quot;/g' <<<"$1"; }

page_width=1040 gap=14 label=12
cells=() x=$gap y=$gap row=0
while IFS= read -r -d '' file; do
  rel=${file#"$artwork"/}
  read -r w h < <(png_size "$file")
  cell_w=$(( w * 2 + gap )); [ $cell_w -lt 150 ] && cell_w=150
  if [ $(( x + cell_w )) -gt $page_width ] && [ $x -gt $gap ]; then
    x=$gap; y=$(( y + row + label + gap )); row=0
  fi
  cells+=("$x $y $w $h $rel")
  x=$(( x + cell_w + gap )); [ $h -gt $row ] && row=$h
done < <(find "$artwork" -name '*.png' ! -name '*@2x.png' -print0 | sort -z)
half=$(( y + row + label + gap ))

{
  echo "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"$page_width\" height=\"$(( half * 2 ))\">"
  echo "<rect width=\"$page_width\" height=\"$half\" fill=\"#e9ebee\"/>"
  echo "<rect y=\"$half\" width=\"$page_width\" height=\"$half\" fill=\"#2a2d33\"/>"
  for ground in 0 1; do
    colour=$([ $ground = 0 ] && echo '#555a61' || echo '#c0c4ca')
    for cell in "${cells[@]}"; do
      read -r cx cy w h rel <<<"$cell"
      cy=$(( cy + ground * half ))
      href=$(xml_escape "$tree/$rel")
      href2x=$(xml_escape "$tree/${rel%.png}@2x.png")
      name=$(xml_escape "$(basename "$rel") ${w}x${h}")
      echo "<image x=\"$cx\" y=\"$cy\" width=\"$w\" height=\"$h\" xlink:href=\"$href\"/>"
      echo "<image x=\"$(( cx + w + 4 ))\" y=\"$cy\" width=\"$w\" height=\"$h\" xlink:href=\"$href2x\"/>"
      echo "<text x=\"$cx\" y=\"$(( cy + h + label ))\" font-family=\"Liberation Sans\" font-size=\"10\" fill=\"$colour\">$name</text>"
    done
  done
  echo "</svg>"
} > "$sheet"
rsvg-convert --zoom 2 --output "$output" "$sheet"
echo "contact-sheet: wrote $output"
