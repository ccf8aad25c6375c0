#!/usr/bin/env bash
# One task of the array job that submit.sh starts: converts its shard of the list with one encoder per CPU it has.
#   convert-shard.sh PROGRAM LIST SHARDS [reelhand options...]
# The task's array index is its shard, 1 .. SHARDS, whichever tasks of the array were submitted.
# The program replaces this script, so a cancelled task's SIGTERM reaches it directly: it stops its encoders,
# removes their partial outputs and prints its summary into the task's output file.
set -euo pipefail
program=$1
list=$2
shards=$3
shift 3
exec "$program" --convert "$list" --shard "$SLURM_ARRAY_TASK_ID/$shards" \
    --jobs "${SLURM_CPUS_PER_TASK:-${SLURM_CPUS_ON_NODE:-1}}" "$@"
