#!/bin/sh
# Renders golden screens (text art of '#' and '.') to PNG at 4x for review:
#   tools/golden2png.sh tests/os/golden/*.txt   -> writes build/golden-png/<name>.png
set -e
out="$(dirname "$0")/../build/golden-png"
mkdir -p "$out"
for f in "$@"; do
  w=$(head -n1 "$f" | tr -d '\n' | wc -c)
  h=$(wc -l < "$f")
  pbm="$out/$(basename "$f" .txt).pbm"
  { echo "P1"; echo "$w $h"; tr '#.' '10' < "$f" | sed 's/./& /g'; } > "$pbm"
  convert "$pbm" -bordercolor white -border 2 -scale 400% "$out/$(basename "$f" .txt).png"
  rm -f "$pbm"
  echo "$out/$(basename "$f" .txt).png"
done
