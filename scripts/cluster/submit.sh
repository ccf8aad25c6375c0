#!/usr/bin/env bash
# Runs a list file as a Slurm array job: one task per shard of the list, each converting its rows with as many
# encoders at once as it was given CPUs. The list, the sources, the output folders the list names and the program
# must be on a file system that every node shares.
#
#   scripts/cluster/submit.sh [--shards N] [--tasks I,J,...] [--cpus C] [--program PATH] [--skip-done] LIST.qfl
#                             [-- SBATCH-OPTIONS...]
#
#   --shards N      tasks in the array, 1 .. N, task I converting rows I, I+N, I+2N, ... (default 4)
#   --tasks LIST    only these tasks of the N (Slurm's array syntax: 2,5 or 3-4), to rerun them; each task
#                   converts the same rows as in the full array
#   --cpus C        CPUs per task, and so encoders per task (default 2)
#   --program PATH  the program (default: the one this tree builds, build/program/reelhand-convert)
#   --skip-done     pass over rows whose output is already finished (to resume a job)
#   after --        anything for sbatch itself, such as --partition=video, --time=4:00:00 or --wait
#
# Or cuts one long file into pieces that the nodes encode side by side, and joins them:
#
#   scripts/cluster/submit.sh --split N --format F [--output DIR] [--tasks LIST] [--cpus C] [--program PATH] FILE
#                             [-- SBATCH-OPTIONS...]
#
#   an array job of N + 1 tasks: task I (1 .. N) encodes piece I of the picture, task N + 1 the sound and all
#   the rest; then a join job, which starts when every task has succeeded (and is cancelled when one fails),
#   joins the pieces into the output. With --tasks only those tasks run again, and a new join after them. The
#   pieces wait in a folder beside the output (.NAME.ID.pieces, ID from the row's identity) until the join has made the output.
#
# Prints sbatch's answer (the job ids); with --wait it returns when the last job has ended, with its status.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
shards=4
tasks=""
cpus=2
program="$here/../../build/program/reelhand-convert"
options=()
list=""
split=""
format=""
output=""

usage() {
    sed -n '2,30s/^# \{0,1\}//p' "$0"
    exit "$1"
}

# --tasks names tasks of 1 .. $1 only.
check_tasks() {
    [[ -z "$tasks" || "$tasks" =~ ^[0-9]+(-[0-9]+)?(,[0-9]+(-[0-9]+)?)*$ ]] || { echo "submit.sh: --tasks takes task numbers such as 2,5 or 3-4" >&2; exit 2; }
    for task in $(echo "$tasks" | tr ',-' '  '); do
        [ "$task" -ge 1 ] && [ "$task" -le "$1" ] || { echo "submit.sh: task $task is not one of 1 .. $1" >&2; exit 2; }
    done
}

while [ $# -gt 0 ]; do
    case "$1" in
        --shards) shards=$2; shift 2 ;;
        --tasks) tasks=$2; shift 2 ;;
        --cpus) cpus=$2; shift 2 ;;
        --program) program=$2; shift 2 ;;
        --skip-done) options+=(--skip-done); shift ;;
        --split) split=$2; shift 2 ;;
        --format) format=$2; shift 2 ;;
        --output) output=$2; shift 2 ;;
        -h|--help) usage 0 ;;
        --) shift; break ;;
        -*) echo "submit.sh: unknown option $1" >&2; usage 2 ;;
        *) [ -z "$list" ] || { echo "submit.sh: one list at a time" >&2; exit 2; }
           list=$1; shift ;;
    esac
done
[ -x "$program" ] || { echo "submit.sh: no program at $program (build it, or give --program)" >&2; exit 2; }
program=$(realpath "$program")

# One file in pieces: the array's tasks are the steps, the join runs after them.
if [ -n "$split" ]; then
    file=$list
    [[ "$split" =~ ^[1-9][0-9]*$ ]] || { echo "submit.sh: --split takes a number of pieces" >&2; exit 2; }
    [[ "$format" =~ ^[0-9]+$ ]] || { echo "submit.sh: --split needs --format F" >&2; exit 2; }
    [ -n "$file" ] && [ -f "$file" ] || { echo "submit.sh: no file at ${file:-(none named)}" >&2; exit 2; }
    [[ "$cpus" =~ ^[1-9][0-9]*$ ]] || { echo "submit.sh: --cpus takes a count" >&2; exit 2; }
    steps=$((split + 1))
    check_tasks "$steps"
    file=$(realpath "$file")
    [ -z "$output" ] || output=$(realpath -m "$output")
    # The array returns at once; --wait, when given, waits for the join, which waits for the array.
    array_options=()
    for option in "$@"; do [ "$option" = --wait ] || array_options+=("$option"); done
    array=$(sbatch --parsable --job-name=reelhand-pieces --array="${tasks:-1-$steps}" --cpus-per-task="$cpus" \
        "${array_options[@]}" "$here/convert-piece.sh" "$program" "$file" "$format" "$split" "$output" piece)
    array=${array%%;*}
    echo "Submitted batch job $array"
    exec sbatch --job-name=reelhand-join --dependency=afterok:"$array" --kill-on-invalid-dep=yes \
        --cpus-per-task="$cpus" "$@" "$here/convert-piece.sh" "$program" "$file" "$format" "$split" "$output" join
fi

[ -n "$list" ] || { echo "submit.sh: name the list file" >&2; usage 2; }
[ -f "$list" ] || { echo "submit.sh: no list file at $list" >&2; exit 2; }
[[ "$shards" =~ ^[1-9][0-9]*$ && "$cpus" =~ ^[1-9][0-9]*$ ]] || { echo "submit.sh: --shards and --cpus take counts" >&2; exit 2; }
check_tasks "$shards"

# Every task reads the same files, wherever it runs: absolute paths.
list=$(realpath "$list")
# The shard count goes to every task as it is: a task's shard is its array index, never derived from how many
# tasks this submission has, so a rerun of some tasks converts what those tasks converted before.
exec sbatch --job-name=reelhand --array="${tasks:-1-$shards}" --cpus-per-task="$cpus" "$@" \
    "$here/convert-shard.sh" "$program" "$list" "$shards" "${options[@]}"
