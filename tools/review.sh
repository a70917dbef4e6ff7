#!/usr/bin/env bash
# Review sheets of every picture and sound, made fresh by assetgen (not shipped).
#   tools/review.sh [--update] [OUT_DIR]
# Builds the generator in build-review/, writes contact-sheet PNGs of the pictures, an animated
# GIF of every door and a spectrogram PNG of every cue into OUT_DIR (default build-review/review). With --update it also
# rewrites the committed files under res/art and res/sound from the generator.
# Needs cmake, a C++20 compiler, ImageMagick (convert) and sox.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
update=0
if [[ ${1:-} == --update ]]; then update=1; shift; fi
out=${1:-$root/build-review/review}
build=$root/build-review
mkdir -p "$build/standalone" "$out"
# A tiny project of its own, so the review never depends on the state of the rest of the tree.
cat > "$build/standalone/CMakeLists.txt" <<CML
cmake_minimum_required(VERSION 3.25)
project(AssetReview CXX)
add_subdirectory($root/tools/assetgen assetgen)
CML
cmake -S "$build/standalone" -B "$build/tool" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/tool" --target assetgen -j2 >/dev/null
gen=$build/tool/assetgen/assetgen
fresh=$build/fresh
rm -rf "$fresh"
"$gen" --out "$fresh" --review "$out"
# One animated strip per door: open at the saver's pace (200 ms a frame), a pause, shut again.
for first in "$out"/anim_*_00.ppm; do
  stem=${first%_00.ppm}
  frames=("$stem"_*.ppm)
  back=()
  for ((i = ${#frames[@]} - 2; i > 0; i--)); do back+=("${frames[i]}"); done
  convert -delay 20 -loop 0 "${frames[@]}" -delay 100 "${frames[-1]}" -delay 20 "${back[@]}" \
    "$out/door_${stem#"$out"/anim_}.gif"
  rm "${frames[@]}"
done
for f in "$out"/*.ppm; do convert "$f" "${f%.ppm}.png" && rm "$f"; done
for f in "$fresh"/sound/*.wav; do
  id=$(basename "$f" .wav)
  sox "$f" -n spectrogram -x 900 -y 257 -z 90 -t "cue $id" -o "$out/cue_$id.png"
done
if (( update )); then
  cp "$fresh"/art/* "$root/res/art/"
  cp "$fresh"/sound/* "$root/res/sound/"
  echo "res/art and res/sound updated"
fi
echo "review sheets in $out"
