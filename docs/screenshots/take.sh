#!/usr/bin/env bash
# Takes the screenshots in this folder: builds the screenshot driver, makes three short test clips with ffmpeg
# and a fourth "clip" that is no video, and walks the program's windows under a virtual X server (xvfb-run).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build="$root/build"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DREELHAND_SCREENSHOTS=ON "${launcher[@]}" >/dev/null
cmake --build "$build" --target screenshots

# A fixed folder, so the paths in the pictures read well.
work=/tmp/reelhand-shots
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Videos" "$work/Converted"
for name in "beach holiday" "birthday party" "garden timelapse"; do
  ffmpeg -loglevel error -f lavfi -i testsrc2=size=640x360:rate=25:duration=12 \
    -f lavfi -i sine=frequency=440:duration=12 -c:v mpeg4 -q:v 4 -c:a mp2 -shortest "$work/Videos/$name.avi"
done
# Listed last, so its row fails at the end of the batch.
printf 'Shopping list: milk, bread, tape for the camera\n' > "$work/Videos/shopping list.avi"

xvfb-run -a -s "-screen 0 1280x800x24" \
  "$build/program/screenshots" "$here" "$work/Converted" "$work/Videos/"*.avi
