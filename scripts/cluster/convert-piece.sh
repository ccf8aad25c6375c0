#!/usr/bin/env bash
# One task of the jobs that submit.sh --split starts for one long file: a task of the array encodes one step, its
# array index (1 .. PIECES a piece of the picture, PIECES + 1 the sound and the rest), into a folder beside the
# output; the join job, STEP "join", joins what they made into the output.
#   convert-piece.sh PROGRAM FILE FORMAT PIECES OUTPUT-FOLDER STEP
# An empty OUTPUT-FOLDER is the program's default. The program replaces this script, so a cancelled task's
# SIGTERM reaches it directly.
set -euo pipefail
program=$1
file=$2
format=$3
pieces=$4
output=$5
step=$6
options=(--format "$format" --split "$pieces")
[ -z "$output" ] || options+=(--output "$output")
if [ "$step" = join ]; then
    options+=(--join)
else
    options+=(--piece "$SLURM_ARRAY_TASK_ID")
fi
exec "$program" "${options[@]}" "$file"
