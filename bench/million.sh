#!/usr/bin/env bash
# A list of a million rows through reelhand-convert: how long until the first encoder starts, and the memory the
# waiting rows take at their peak (the whole list read and waiting, the first row's encoder running).
#   the time from start to the first encoder                       (goal: under 1 s)
#   the peak memory per waiting row, beyond a list of one row      (goal: at most about 300 bytes)
#
#   bench/million.sh [BUILD_FOLDER] [ROWS]      (default: build, 1000000)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
rows=${2:-1000000}
convert="$build/program/reelhand-convert"
[ -x "$convert" ] || { echo "No program at $convert: build first (./test.sh or scripts/setup.sh)." >&2; exit 1; }
command -v /usr/bin/time > /dev/null || { echo "This needs GNU time: apt-get install time" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A program folder of its own whose encoder notes when it starts and then waits to be stopped.
mkdir -p "$work/program/bin" "$work/out"
cp "$convert" "$work/program/"
cp "$build/program/command" "$work/program/"
cat > "$work/program/bin/ffmpeg" <<SCRIPT
#!/bin/sh
date +%s%N >> "$work/started"
exec sleep 600
SCRIPT
chmod +x "$work/program/bin/ffmpeg"
"$build/program/bin/ffmpeg" -nostdin -loglevel error -f lavfi -i testsrc2=duration=1:size=64x48 -c:v mpeg4 \
    -y "$work/clip.avi"

# A list as the window exports it, every row a file of its own in a folder of the share.
write_list() {
    awk -v rows="$1" -v clip="$work/clip.avi" -v out="$work/out" 'BEGIN {
        printf "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<list>\r\n"
        printf "  <item>\r\n    <filename>%s</filename>\r\n    <format>0</format>\r\n    <path>%s</path>\r\n  </item>\r\n", clip, out
        for (i = 1; i < rows; i++)
            printf "  <item>\r\n    <filename>/share/videos/%06d/holiday-%07d.mkv</filename>\r\n    <format>0</format>\r\n    <path>%s</path>\r\n  </item>\r\n", i / 1000, i, out
        printf "</list>\r\n" }' > "$2"
}

# Runs the list until its first encoder has run for a few seconds (the list read by then), then stops it; prints
# the milliseconds to the first encoder and the peak memory in KiB.
measure() {
    rm -f "$work/started"
    local start
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/peak" "$work/program/reelhand-convert" --convert "$1" --jobs 1 --quiet > /dev/null 2>&1 &
    local program=$!
    while [ ! -s "$work/started" ]; do sleep 0.01; done
    local first
    first=$(head -n1 "$work/started")
    sleep 6
    pkill -TERM -P "$program" reelhand-conver || true
    wait "$program" || true
    echo "$(( (first - start) / 1000000 )) $(tail -n1 "$work/peak")"
}

write_list 1 "$work/one.qfl"
write_list "$rows" "$work/many.qfl"
read -r _ base < <(measure "$work/one.qfl")
read -r first peak < <(measure "$work/many.qfl")
echo "$(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "list of $rows rows: $(( $(stat -c %s "$work/many.qfl") / 1048576 )) MiB"
echo "first encoder after $first ms"
echo "peak memory $(( peak / 1024 )) MiB against $(( base / 1024 )) MiB for one row:" \
    "$(( (peak - base) * 1024 / rows )) bytes per waiting row"
