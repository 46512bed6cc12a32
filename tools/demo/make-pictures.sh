#!/usr/bin/env bash
# Draws the demo magazine's pictures with ImageMagick into FOLDER/resource:
# the window's background and one picture per article. Everything is drawn
# from fixed numbers (plasma with a fixed seed), so every build makes the same
# pictures. Usage: make-pictures.sh FOLDER
set -euo pipefail
out=$1/resource
mkdir -p "$out"
w=340 h=230
jpeg=(-strip -quality 88)

# The maximised window's background: a deep evening gradient.
convert -size 640x512 gradient:'#243b55-#141e30' "${jpeg[@]}" "$out/bgimg.jpg"

# Dawn: sky, sun and three ranges of hills.
convert -size ${w}x${h} gradient:'#ffb88c-#de6262' \
    -fill '#fff2c6' -draw "circle 240,110 240,70" \
    -fill '#b24a5a' -draw "polygon 0,170 60,120 120,160 190,100 260,150 340,110 340,230 0,230" \
    -fill '#7a3550' -draw "polygon 0,200 80,150 150,190 230,140 300,185 340,165 340,230 0,230" \
    -fill '#3f2040' -draw "polygon 0,230 0,215 90,185 170,215 250,190 340,212 340,230" \
    "${jpeg[@]}" "$out/dawn.jpg"

# Nebula: seeded plasma, softened.
convert -seed 7 -size ${w}x${h} plasma:'#1d2b4f-#f08a5d' -blur 0x3 \
    -fill '#ffffffcc' -draw "circle 60,50 62,50" -draw "circle 280,40 281,40" \
    -draw "circle 200,180 202,180" -draw "circle 120,130 121,130" -draw "circle 310,150 311,150" \
    "${jpeg[@]}" "$out/nebula.jpg"

# Sea: bands of blue bent into waves.
convert -size ${w}x$((h + 60)) gradient:'#a8e0ff-#0f4c81' \
    -fill '#ffffff40' -draw "rectangle 0,90 340,96" -draw "rectangle 0,140 340,146" \
    -draw "rectangle 0,190 340,196" -draw "rectangle 0,240 340,246" \
    -background '#0f4c81' -wave 12x170 -gravity south -crop ${w}x${h}+0+0 +repage \
    "${jpeg[@]}" "$out/sea.jpg"

# Rings: a target of warm rings on a radial glow.
rings=()
for r in 105 85 65 45 25; do
    rings+=(-fill "$([ $((r / 20 % 2)) -eq 0 ] && echo '#f9d976' || echo '#f39f86')" -draw "circle 170,115 170,$((115 - r))")
done
convert -size ${w}x${h} radial-gradient:'#4b2c5e-#1b1029' "${rings[@]}" "${jpeg[@]}" "$out/rings.jpg"

# City: a night skyline; the buildings come from a fixed sequence.
towers=() windows=()
x=0 step=0
while [ $x -lt $w ]; do
    step=$((step + 1))
    width=$((22 + (step * 37) % 26)) height=$((50 + (step * 53) % 120))
    towers+=(-draw "rectangle $x,$((h - height)) $((x + width - 3)),$h")
    for ((wy = h - height + 8; wy < h - 8; wy += 14)); do
        [ $(((wy + x * 7) % 3)) -eq 0 ] && windows+=(-draw "rectangle $((x + 5)),$wy $((x + 9)),$((wy + 5))")
    done
    x=$((x + width))
done
convert -size ${w}x${h} gradient:'#0b1a3a-#3a2d6b' -fill '#fdf6d8' -draw "circle 60,45 60,28" \
    -fill '#141428' "${towers[@]}" -fill '#ffd86b' "${windows[@]}" "${jpeg[@]}" "$out/city.jpg"

# Leaves: overlapping translucent circles in greens.
leaves=()
for i in $(seq 0 23); do
    leaves+=(-fill "$(printf '#%02x%02x%02x90' $((40 + i * 5 % 60)) $((140 + i * 7 % 90)) $((60 + i * 3 % 50)))"
             -draw "circle $(((i * 71) % w)),$(((i * 43) % h)) $(((i * 71) % w)),$(((i * 43) % h + 20 + i % 4 * 9))")
done
convert -size ${w}x${h} gradient:'#e8f5c8-#a8d8a0' "${leaves[@]}" "${jpeg[@]}" "$out/leaves.jpg"
