#!/usr/bin/env bash
# Makes the bundled sample media from nothing but ffmpeg's generators and exiv2:
#   01-mandelbrot.png      a landscape picture
#   02-portrait-exif6.jpg  a portrait photo stored turned, with Exif orientation 6
#   03-gradients.webp      a picture in another format
#   04-testcard.mp4        a short movie with sound
# Usage: make-samples.sh [output folder]   (default: samples/ next to this script)
set -euo pipefail

out="${1:-$(cd "$(dirname "$0")/.." && pwd)/samples}"
mkdir -p "$out"
ff=(ffmpeg -hide_banner -loglevel error -y)
font="font=Nimbus Sans:fontcolor=white:borderw=4:bordercolor=black"

"${ff[@]}" -f lavfi -i "mandelbrot=size=1600x1000:end_pts=40" -frames:v 1 \
  -vf "drawtext=${font}:fontsize=72:text='Vistrel':x=(w-text_w)/2:y=h-150" \
  "$out/01-mandelbrot.png"

# Drawn upright (portrait), then stored turned a quarter anticlockwise: a viewer
# that honours orientation 6 turns it back and shows the arrow pointing up.
"${ff[@]}" -f lavfi -i "gradients=size=900x1200:c0=0x1d4e89:c1=0xf79256:seed=7" -frames:v 1 \
  -vf "drawtext=${font}:fontsize=400:text='↑':x=(w-text_w)/2:y=(h-text_h)/2-120,drawtext=${font}:fontsize=90:text='UP':x=(w-text_w)/2:y=h-260,transpose=2" \
  -q:v 3 "$out/02-portrait-exif6.jpg"
exiv2 -q -M"set Exif.Image.Orientation Short 6" -M"set Exif.Image.Make Ascii Vistrel samples" \
  -M"set Exif.Photo.DateTimeOriginal Ascii 2026:12:08 12:00:00" "$out/02-portrait-exif6.jpg"

"${ff[@]}" -f lavfi -i "gradients=size=1280x720:c0=0x2a9d8f:c1=0xe9c46a:c2=0xe76f51:nb_colors=3:seed=3" -frames:v 1 \
  -vf "drawtext=${font}:fontsize=96:text='WebP':x=(w-text_w)/2:y=(h-text_h)/2" \
  -c:v libwebp -quality 85 "$out/03-gradients.webp"

"${ff[@]}" -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=6" \
  -f lavfi -i "sine=frequency=440:beep_factor=4:duration=6" \
  -c:v libx264 -preset veryfast -crf 28 -pix_fmt yuv420p -c:a aac -b:a 96k -shortest \
  -movflags +faststart "$out/04-testcard.mp4"

echo "samples written to $out"
ls -l "$out"
