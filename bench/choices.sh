#!/usr/bin/env bash
# The same 1080p clip through formats 0, 1 and 3 (H.264, H.265, VP9) as the format says, at "--quality smaller"
# and at "--size 720", in one run of this script, through the command-line mode with one file at a time:
#   the output's size at "smaller" against "as the format says"     (goal: at most 0.6)
#   the time at 720 lines against 1080                              (goal: at most 0.6)
#
#   bench/choices.sh [BUILD_FOLDER] [SECONDS]      (default: build, 6 s)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-6}
program="$build/program/reelhand"
encoder="$build/program/bin/ffmpeg"
[ -x "$program" ] || { echo "No program at $program: build first (./test.sh or scripts/setup.sh)." >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Moving grain on the test picture, so that every frame costs bits as filmed pictures do.
echo "Making a clip of $seconds s, 1920x1080 H.264 / AAC ..."
"$encoder" -nostdin -loglevel error -f lavfi -i "testsrc2=duration=$seconds:rate=25:size=1920x1080,noise=alls=12:allf=t+u" \
    -f lavfi -i "sine=duration=$seconds" -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac -b:a 160k \
    -y "$work/clip.mkv"

# Converts the clip with format $1 and the choices after it into a folder of its own; prints seconds and bytes.
convert() {
    local format=$1 out="$work/out-$*" start end
    shift
    out=${out// /_}
    start=$(date +%s%N)
    "$program" --convert --format "$format" --output "$out" "$@" --quiet "$work/clip.mkv" > /dev/null
    end=$(date +%s%N)
    awk -v ns=$((end - start)) -v bytes="$(stat -c %s "$out"/*)" 'BEGIN { printf "%.2f %d", ns / 1e9, bytes }'
}

echo
echo "$(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg):"
printf "  %-8s %22s %22s %22s %10s %10s\n" format "as the format says" "--quality smaller" "--size 720" \
    "size ratio" "time ratio"
pass=true
for format in 0 1 3; do
    read -r plain_time plain_bytes <<< "$(convert $format)"
    read -r small_time small_bytes <<< "$(convert $format --quality smaller)"
    read -r lines_time lines_bytes <<< "$(convert $format --size 720)"
    size_ratio=$(awk -v a="$small_bytes" -v b="$plain_bytes" 'BEGIN { printf "%.2f", a / b }')
    time_ratio=$(awk -v a="$lines_time" -v b="$plain_time" 'BEGIN { printf "%.2f", a / b }')
    printf "  %-8s %12s B %6ss %12s B %6ss %12s B %6ss %10s %10s\n" "$format" "$plain_bytes" "$plain_time" \
        "$small_bytes" "$small_time" "$lines_bytes" "$lines_time" "$size_ratio" "$time_ratio"
    awk -v s="$size_ratio" -v t="$time_ratio" 'BEGIN { exit !(s <= 0.6 && t <= 0.6) }' || pass=false
done
echo "  goals: size ratio <= 0.60 (smaller against as the format says), time ratio <= 0.60 (720 against 1080)"
$pass
