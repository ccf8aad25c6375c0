#!/usr/bin/env bash
# "MP4 video, same quality" against format 0 (MP4, H.264 / AAC) on 10 clips of 1080p H.264 / AAC, 10 s each, in
# one run of this script, both through the command-line mode with one file at a time:
#   the speed-up of the same-quality format over format 0       (goal: at least 30 times)
#   every video packet of each same-quality output identical to the source's (size and MD5 of each packet)
#
#   bench/samequality.sh [BUILD_FOLDER]      (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
program="$build/program/reelhand"
encoder="$build/program/bin/ffmpeg"
[ -x "$program" ] || { echo "No program at $program: build first (./test.sh or scripts/setup.sh)." >&2; exit 1; }

# The same-quality format is found by its name, so the script follows the catalogue wherever the entry stands.
same=$(grep -o '<format>[^<]*</format>' "$build/program/command" | grep -n 'MP4 video, same quality' | cut -d: -f1)
[ -n "$same" ] || { echo "The catalogue has no \"MP4 video, same quality\" format." >&2; exit 1; }
same=$((same - 1))

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/clips" "$work/out0" "$work/out$same"

echo "Making 10 clips of 10 s, 1920x1080 H.264 / AAC in MKV ..."
for format in 0 "$same"; do
    {
        echo '<?xml version="1.0" encoding="UTF-8"?>'
        echo '<list>'
        for i in $(seq -w 1 10); do
            echo "<item><filename>$work/clips/clip$i.mkv</filename><format>$format</format><path>$work/out$format</path></item>"
        done
        echo '</list>'
    } > "$work/list$format.qfl"
done
for i in $(seq -w 1 10); do
    "$encoder" -nostdin -loglevel error -f lavfi -i "testsrc2=duration=10:rate=25:size=1920x1080" \
        -f lavfi -i "sine=duration=10:frequency=$((300 + 10#$i * 20))" -c:v libx264 -preset veryfast -crf 23 \
        -pix_fmt yuv420p -c:a aac -b:a 160k -y "$work/clips/clip$i.mkv"
done

# Seconds the command-line mode takes for a list, one file at a time.
timed() {
    local start end
    start=$(date +%s%N)
    "$program" --convert "$work/list$1.qfl" --jobs 1 --quiet > /dev/null
    end=$(date +%s%N)
    [ "$(ls "$work/out$1" | wc -l)" -eq 10 ] || { echo "not every clip was converted to format $1" >&2; exit 1; }
    awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}
copy_time=$(timed "$same")
encode_time=$(timed 0)

# Size and checksum of every video packet, in order; times are left out, since the containers count in other units.
packets() { "$encoder" -nostdin -loglevel error -i "$1" -map 0:v:0 -c copy -f framemd5 - | grep -v '^#' | cut -d, -f5,6; }
identical=0
for i in $(seq -w 1 10); do
    if cmp -s <(packets "$work/clips/clip$i.mkv") <(packets "$work/out$same/clip$i.mp4"); then
        identical=$((identical + 1))
    fi
done
count=$(packets "$work/clips/clip01.mkv" | wc -l)

echo
echo "$(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg):"
echo "  format 0 (MP4, H.264 / AAC)           ${encode_time}s"
echo "  format $same (MP4 video, same quality)    ${copy_time}s"
echo "  speed-up: $(awk -v a="$encode_time" -v b="$copy_time" 'BEGIN { printf "%.1f", a / b }') x    goal >= 30"
echo "  outputs whose $count video packets are all identical to the source's: $identical of 10    goal 10"
[ "$identical" -eq 10 ]
