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
#   --program PATH  the reelhand program (default: the one this tree builds, build/program/reelhand)
#   --skip-done     pass over rows whose output is already finished (to resume a job)
#   after --        anything for sbatch itself, such as --partition=video, --time=4:00:00 or --wait
#
# Prints sbatch's answer (the job id); with --wait it returns when every task has ended, with the job's status.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
shards=4
tasks=""
cpus=2
program="$here/../../build/program/reelhand"
options=()
list=""

usage() {
    sed -n '2,19s/^# \{0,1\}//p' "$0"
    exit "$1"
}

while [ $# -gt 0 ]; do
    case "$1" in
        --shards) shards=$2; shift 2 ;;
        --tasks) tasks=$2; shift 2 ;;
        --cpus) cpus=$2; shift 2 ;;
        --program) program=$2; shift 2 ;;
        --skip-done) options+=(--skip-done); shift ;;
        -h|--help) usage 0 ;;
        --) shift; break ;;
        -*) echo "submit.sh: unknown option $1" >&2; usage 2 ;;
        *) [ -z "$list" ] || { echo "submit.sh: one list at a time" >&2; exit 2; }
           list=$1; shift ;;
    esac
done
[ -n "$list" ] || { echo "submit.sh: name the list file" >&2; usage 2; }
[ -f "$list" ] || { echo "submit.sh: no list file at $list" >&2; exit 2; }
[[ "$shards" =~ ^[1-9][0-9]*$ && "$cpus" =~ ^[1-9][0-9]*$ ]] || { echo "submit.sh: --shards and --cpus take counts" >&2; exit 2; }
[[ -z "$tasks" || "$tasks" =~ ^[0-9]+(-[0-9]+)?(,[0-9]+(-[0-9]+)?)*$ ]] || { echo "submit.sh: --tasks takes task numbers such as 2,5 or 3-4" >&2; exit 2; }
for task in $(echo "$tasks" | tr ',-' '  '); do
    [ "$task" -ge 1 ] && [ "$task" -le "$shards" ] || { echo "submit.sh: task $task is not one of 1 .. $shards" >&2; exit 2; }
done
[ -x "$program" ] || { echo "submit.sh: no program at $program (build it, or give --program)" >&2; exit 2; }

# Every task reads the same files, wherever it runs: absolute paths.
list=$(realpath "$list")
program=$(realpath "$program")
# The shard count goes to every task as it is: a task's shard is its array index, never derived from how many
# tasks this submission has, so a rerun of some tasks converts what those tasks converted before.
exec sbatch --job-name=reelhand --array="${tasks:-1-$shards}" --cpus-per-task="$cpus" "$@" \
    "$here/convert-shard.sh" "$program" "$list" "$shards" "${options[@]}"
