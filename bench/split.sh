#!/usr/bin/env bash
# One 60 s 720p clip through reelhand-convert, in formats 0 (MP4, H.264) and 3 (WebM, VP9): cut in two pieces
# encoded side by side (--split 2 --jobs 2) against the whole row on one encoder (--jobs 1), in the same run.
# Goal: at most 0.85 times the whole row's time, with the join and the mux at most 3 % of the split run's time.
# The encoder runs behind a script that logs when each run starts and ends: the pieces' and the rest's times
# give the figures the README's estimate for a film on several nodes is made from. The figures are the medians
# over the rounds, with the best in brackets.
#
#   bench/split.sh [BUILD_FOLDER] [ROUNDS]      (defaults: build, 3)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
rounds=${2:-3}
built="$build/program"
[ -x "$built/reelhand-convert" ] || { echo "No program at $built: build first (scripts/setup.sh)." >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A program folder of its own, its encoder a logging script in front of the real one.
mkdir -p "$work/program/bin" "$work/out"
cp "$built/reelhand-convert" "$built/command" "$work/program/"
encoder=$(readlink -f "$built/bin/ffmpeg")
cat > "$work/program/bin/ffmpeg" <<SCRIPT
#!/bin/bash
start=\$(date +%s.%N)
"$encoder" "\$@"
code=\$?
kind=whole
case "\$*" in *piece-*.nut*) kind=piece ;; *picture.nut*) kind=mux ;; *rest.*) kind=rest ;; esac
echo "\$kind \$start \$(date +%s.%N)" >> "$work/runs"
exit \$code
SCRIPT
chmod +x "$work/program/bin/ffmpeg"

echo "Making a 60 s 720p clip ..."
"$encoder" -nostdin -loglevel error -f lavfi -i "testsrc2=duration=60:rate=25:size=1280x720" \
    -f lavfi -i "sine=duration=60:frequency=440" -c:v libx264 -preset veryfast -crf 18 -g 50 -c:a aac \
    -y "$work/clip.mp4"

# Seconds one way takes, from an empty output folder; the encoder's runs are logged apart for each.
timed() {
    rm -rf "$work"/out/* "$work"/out/.[!.]*
    : > "$work/runs"
    local start end
    start=$(date +%s%N)
    "$work/program/reelhand-convert" --quiet --output "$work/out" "$@" "$work/clip.mp4" > /dev/null
    end=$(date +%s%N)
    [ "$(ls "$work/out" | wc -l)" -eq 1 ] || { echo "no single output from: $*" >&2; exit 1; }
    awk -v ns=$((end - start)) 'BEGIN { printf "%.2f", ns / 1e9 }'
}
# Seconds from the end of the last encoding run to the end of the mux: the join and the mux.
join_time() { awk '$1 == "mux" { m = $3 } $1 == "piece" || $1 == "rest" { if ($3 > e) e = $3 } END { printf "%.2f", m - e }' "$work/runs"; }
piece_time() { awk '$1 == "piece" { s += $3 - $2; n++ } END { printf "%.2f", s / n }' "$work/runs"; }
rest_time() { awk '$1 == "rest" { printf "%.2f", $3 - $2 }' "$work/runs"; }

median() { tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
best() { tr ' ' '\n' | sed '/^$/d' | sort -n | head -n 1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

echo "$rounds rounds on $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
declare -A m=() b=()
for format in 0 3; do
    declare -A t=()
    for round in $(seq "$rounds"); do
        whole=$(timed --format "$format" --jobs 1)
        split=$(timed --format "$format" --jobs 2 --split 2)
        t[whole]+="$whole "
        t[split]+="$split "
        t[join]+="$(join_time) "
        t[piece]+="$(piece_time) "
        t[rest]+="$(rest_time) "
        echo "format $format, round $round: whole ${whole}s, split 2 ${split}s"
    done
    for key in whole split join piece rest; do
        m[$key]=$(echo "${t[$key]}" | median)
        b[$key]=$(echo "${t[$key]}" | best)
    done
    echo "format $format: whole ${m[whole]}s (${b[whole]}s), --split 2 --jobs 2 ${m[split]}s (${b[split]}s):" \
        "$(ratio "${m[split]}" "${m[whole]}") x ($(ratio "${b[split]}" "${b[whole]}") x)   goal <= 0.85"
    echo "  join and mux ${m[join]}s, $(awk -v j="${m[join]}" -v s="${m[split]}" 'BEGIN { printf "%.1f", 100 * j / s }') %" \
        "of the split run   goal <= 3 %; a piece of 30 s ${m[piece]}s, the sound and the rest ${m[rest]}s"
done
