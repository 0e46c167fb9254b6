#!/bin/sh
# Writes the program's icon: one 32 x 32 image, 32 bits per pixel, a white
# "Z" on a blue square.
#   make_icon.sh <output .ico>
set -eu
out="$1"

# Little-endian 16- and 32-bit numbers as bytes.
u8() { printf "\\$(printf '%03o' "$1")"; }
u16() { u8 $(($1 & 255)); u8 $(($1 >> 8 & 255)); }
u32() { u16 $(($1 & 65535)); u16 $(($1 >> 16 & 65535)); }

side=32
pixels=$((side * side * 4))
mask=$((side * 4))  # one bit per pixel, rows padded to 4 bytes
size=$((40 + pixels + mask))

{
  # Icon directory and its one entry.
  u16 0; u16 1; u16 1
  u8 $side; u8 $side; u8 0; u8 0; u16 1; u16 32; u32 $size; u32 22
  # Bitmap header: the height counts the colour rows and the mask rows.
  u32 40; u32 $side; u32 $((side * 2)); u16 1; u16 32; u32 0; u32 $((pixels + mask))
  u32 0; u32 0; u32 0; u32 0
  # Colour rows, bottom row first, blue-green-red-alpha.
  row=$((side - 1))
  while [ $row -ge 0 ]; do
    x=0
    while [ $x -lt $side ]; do
      white=0
      if [ $x -ge 6 ] && [ $x -le 25 ]; then
        if [ $row -le 9 ] && [ $row -ge 6 ]; then white=1; fi
        if [ $row -le 25 ] && [ $row -ge 22 ]; then white=1; fi
        d=$((x + row - 31))
        if [ $row -gt 9 ] && [ $row -lt 22 ] && [ $d -ge -2 ] && [ $d -le 2 ]; then white=1; fi
      fi
      if [ $white -eq 1 ]; then printf '\377\377\377\377'; else printf '\250\132\036\377'; fi
      x=$((x + 1))
    done
    row=$((row - 1))
  done
  # The mask: every pixel drawn (the alpha channel decides).
  i=0
  while [ $i -lt $mask ]; do u8 0; i=$((i + 1)); done
} >"$out.tmp"
mv "$out.tmp" "$out"
