#!/usr/bin/env bash
# The command-line mode against the same encoder commands run without it, on 20 short clips, all in one run:
#   --jobs 1  against a plain shell loop          (goal: at most 1.02 times the loop's time)
#   --jobs 2  against GNU parallel -j 2           (goal: at most 1.05 times parallel's time)
#   and the speed-up of --jobs 2 over --jobs 1 against parallel's over the loop (goal: at least as large).
# Each round times the four one after the other; the figures are the medians over the rounds, with the best time
# of each in brackets (on a machine shared with other work the best times are the ones least disturbed).
#
#   bench/cli.sh [BUILD_FOLDER] [ROUNDS]      (defaults: build, 5)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
rounds=${2:-5}
program="$build/program/reelhand"
encoder="$build/program/bin/ffmpeg"
[ -x "$program" ] || { echo "No program at $program: build first (./test.sh or scripts/setup.sh)." >&2; exit 1; }
command -v parallel >/dev/null || { echo "GNU parallel is missing: scripts/setup.sh installs it." >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/clips" "$work/out"

# The first format of the shipped catalogue (MP4, H.264 and AAC). The program splits its parameters at blanks,
# as `read -a` does while they hold no double quotes; XML escapes would need decoding first.
params=$(sed -n 's:.*<params>\(.*\)</params>.*:\1:p' "$build/program/command" | head -n 1)
ext=$(sed -n 's:.*<ext>\(.*\)</ext>.*:\1:p' "$build/program/command" | head -n 1)
case "$params" in *'"'* | *'&'*) echo "The first format's parameters need more than blanks to split." >&2; exit 1 ;; esac
read -r -a param_args <<< "$params"

echo "Making 20 clips of 4 s, 320x240 ..."
{
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<list>'
    for i in $(seq -w 1 20); do
        clip="$work/clips/clip$i.avi"
        "$encoder" -nostdin -loglevel error -f lavfi -i "testsrc=duration=4:rate=25:size=320x240" \
            -f lavfi -i "sine=duration=4:frequency=$((200 + 10#$i * 20))" -c:v mpeg4 -q:v 3 -c:a mp2 -y "$clip"
        echo "<item><filename>$clip</filename><format>0</format><path>$work/out</path></item>"
        # The very arguments the program gives the encoder for this row, quoted for the shell (the filters hold
        # parentheses and asterisks).
        printf '%q ' "$encoder" -i "$clip" "${param_args[@]}" "$work/out/clip$i.$ext" >> "$work/commands"
        echo "2>/dev/null" >> "$work/commands"
    done
    echo '</list>'
} > "$work/list.qfl"

# Seconds one way of converting the 20 clips takes, from an empty output folder.
timed() {
    rm -f "$work"/out/* "$work"/out/.*.reserved
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null
    end=$(date +%s%N)
    [ "$(ls "$work/out" | wc -l)" -eq 20 ] || { echo "not every clip was converted by: $*" >&2; exit 1; }
    awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}
loop() { bash "$work/commands"; }
gnu_parallel() { parallel --will-cite -j 2 < "$work/commands"; }
jobs1() { "$program" --convert "$work/list.qfl" --jobs 1 --quiet; }
jobs2() { "$program" --convert "$work/list.qfl" --jobs 2 --quiet; }

declare -A times
for round in $(seq "$rounds"); do
    for way in loop jobs1 gnu_parallel jobs2; do
        t=$(timed "$way")
        times[$way]+="$t "
        echo "round $round: $way ${t}s"
    done
done

median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
best() { tr ' ' '\n' | sed '/^$/d' | sort -n | head -n 1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
declare -A m b
for way in loop jobs1 gnu_parallel jobs2; do
    m[$way]=$(echo "${times[$way]}" | median)
    b[$way]=$(echo "${times[$way]}" | best)
done
figures() { echo "$(ratio "${m[$1]}" "${m[$2]}") x ($(ratio "${b[$1]}" "${b[$2]}") x)"; }
echo
echo "$rounds rounds on $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg); median (best):"
echo "  shell loop      ${m[loop]}s (${b[loop]}s)"
echo "  --jobs 1        ${m[jobs1]}s (${b[jobs1]}s)   $(figures jobs1 loop) the loop    goal <= 1.02"
echo "  parallel -j 2   ${m[gnu_parallel]}s (${b[gnu_parallel]}s)"
echo "  --jobs 2        ${m[jobs2]}s (${b[jobs2]}s)   $(figures jobs2 gnu_parallel) parallel    goal <= 1.05"
echo "  speed-up of --jobs 2 over --jobs 1: $(figures jobs1 jobs2); of parallel over the loop: $(figures loop gnu_parallel)"
