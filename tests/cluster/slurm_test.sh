#!/usr/bin/env bash
# A real one-machine Slurm cluster runs a list through scripts/cluster/submit.sh as a two-task array job; every
# row's output must then exist exactly once. Then one file in two pieces: a task killed, the join refusing the
# missing piece, the task rerun and the join after it. The daemons are stopped on every way out of this script; a run that
# was killed outright leaves their process ids in the scratch folder, and the next run stops them first.
#
#   slurm_test.sh SOURCE_DIR PROGRAM FFMPEG CONVERT-PROGRAM
set -euo pipefail
source_dir=$1
program=$2
ffmpeg=$3
convert=$4

skip() {
    echo "SKIPPED: $*"
    exit 77
}
for tool in slurmctld slurmd sbatch sinfo munged; do
    command -v "$tool" >/dev/null ||
        skip "the Slurm packages (slurmctld slurmd slurm-client munge) are not installed; scripts/setup.sh installs them"
done
[ "$(id -u)" -eq 0 ] || skip "the Slurm and munge daemons of this test run as root"

# One cluster on the machine at a time: the daemons' ports and munge's socket are the machine's.
scratch=/tmp/reelhand-slurm
exec 9>"$scratch.lock"
flock --timeout 300 9

stop_pid_file() {
    local file=$1 pid
    [ -s "$file" ] || return 0
    pid=$(cat "$file")
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$file"
}
stop_daemons() {
    stop_pid_file "$scratch/slurmd.pid"
    stop_pid_file "$scratch/slurmctld.pid"
    # munged only when this test started it (someone else's stays).
    stop_pid_file "$scratch/munged.ours"
}
stop_daemons
trap stop_daemons EXIT
trap 'exit 1' INT TERM HUP

rm -rf "$scratch"/{state,spool,log,clips,out,film,slurm.conf,list.qfl,killed,killer.sh}
mkdir -p "$scratch"/{state,spool,log,clips,out,film}
export SLURM_CONF="$scratch/slurm.conf"
cat > "$SLURM_CONF" <<CONF
ClusterName=local
SlurmctldHost=localhost
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
StateSaveLocation=$scratch/state
SlurmdSpoolDir=$scratch/spool
SlurmctldPidFile=$scratch/slurmctld.pid
SlurmdPidFile=$scratch/slurmd.pid
SlurmctldLogFile=$scratch/log/ctld.log
SlurmdLogFile=$scratch/log/d.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
NodeName=localhost CPUs=$(nproc) State=UNKNOWN
PartitionName=main Nodes=localhost Default=YES MaxTime=INFINITE State=UP
CONF

if ! munge -n 2>/dev/null | unmunge >/dev/null 2>&1; then
    mkdir -p /run/munge
    chown munge:munge /run/munge
    munged --force 2>>"$scratch/log/munged.log"
    cp /run/munge/munged.pid "$scratch/munged.ours"
fi
slurmctld -f "$SLURM_CONF"
slurmd -f "$SLURM_CONF" -N localhost

fail() {
    echo "FAILED: $*"
    for log in "$scratch"/log/*; do echo "== $log"; tail -n 30 "$log"; done
    exit 1
}
for _ in $(seq 120); do
    [ "$(sinfo -h -o %T 2>/dev/null)" = idle ] && break
    sleep 0.5
done
[ "$(sinfo -h -o %T 2>/dev/null)" = idle ] || fail "the node never became idle"

# Five short clips; the list sends every output into one shared folder.
names=(a b c d e)
{
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<list>'
    for name in "${names[@]}"; do
        "$ffmpeg" -nostdin -loglevel error -f lavfi -i testsrc=duration=1:rate=10:size=96x72 -c:v mpeg4 \
            -y "$scratch/clips/$name.avi"
        echo "<item><filename>$scratch/clips/$name.avi</filename><format>4</format><path>$scratch/out</path></item>"
    done
    echo '</list>'
} > "$scratch/list.qfl"

timeout 600 "$source_dir/scripts/cluster/submit.sh" --shards 2 --cpus 1 --program "$program" "$scratch/list.qfl" \
    -- --wait --output="$scratch/log/task_%A_%a.out" || fail "the array job did not succeed"

expected=$(printf '%s.avi\n' "${names[@]}")
found=$(ls -A "$scratch/out")
[ "$found" = "$expected" ] || fail "outputs: $(echo $found), expected: $(echo $expected)"
tasks=$(ls "$scratch"/log/task_*.out | wc -l)
[ "$tasks" -eq 2 ] || fail "$tasks task outputs instead of 2"
grep -h "^Converted" "$scratch"/log/task_*.out
grep -q "of 3 in" "$scratch"/log/task_*_1.out && grep -q "of 2 in" "$scratch"/log/task_*_2.out ||
    fail "the shards did not split the list 3 and 2"

# A rerun of task 2 alone converts task 2's rows again (b and d), not the first shard of a one-task array.
rm "$scratch/out/b.avi" "$scratch/out/d.avi"
timeout 600 "$source_dir/scripts/cluster/submit.sh" --shards 2 --tasks 2 --cpus 1 --program "$program" \
    "$scratch/list.qfl" -- --wait --output="$scratch/log/rerun_%A_%a.out" || fail "the rerun did not succeed"
found=$(ls -A "$scratch/out")
[ "$found" = "$expected" ] || fail "outputs after the rerun: $(echo $found), expected: $(echo $expected)"
grep -q "of 2 in" "$scratch"/log/rerun_*_2.out || fail "the rerun of task 2 did not convert its two rows"

# One film in two pieces: tasks 1 and 2 encode the pieces, task 3 the sound, and the join follows. The program is
# wrapped so that task 2 is killed outright the first time; the join then never runs.
"$ffmpeg" -nostdin -loglevel error -f lavfi -i testsrc2=duration=4:rate=25:size=160x120 -f lavfi -i sine=duration=4 \
    -c:v libx264 -bf 3 -g 25 -c:a aac -y "$scratch/clips/film.mp4"
cat > "$scratch/killer.sh" <<KILLER
#!/bin/bash
if [[ " \$* " == *" --piece 2 "* && ! -e "$scratch/killed" ]]; then touch "$scratch/killed"; kill -9 \$\$; fi
exec "$convert" "\$@"
KILLER
chmod +x "$scratch/killer.sh"
split=("$source_dir/scripts/cluster/submit.sh" --split 2 --format 0 --output "$scratch/film" --cpus 1
    --program "$scratch/killer.sh" "$scratch/clips/film.mp4")
# Slurm cancels the join when a task fails, and --wait returns then.
timeout 600 "${split[@]}" -- --wait --output="$scratch/log/split_%A_%a.out" || true
[ -e "$scratch/killed" ] || fail "task 2 never ran"
[ -z "$(ls "$scratch/film")" ] || fail "output without every piece: $(ls "$scratch/film")"
! grep -l "film.mp4" "$scratch"/log/split_*_4294967294.out 2>/dev/null || fail "the join ran although task 2 was killed"
if refused=$("$convert" --format 0 --output "$scratch/film" --split 2 --join "$scratch/clips/film.mp4" 2>&1); then
    fail "the join ran on a missing piece"
fi
grep -q "Piece 2 of 2 of the picture is missing" <<< "$refused" || fail "the join's refusal: $refused"

timeout 600 "${split[@]}" --tasks 2 -- --wait --output="$scratch/log/rerun_split_%A_%a.out" ||
    fail "the rerun of task 2 and its join did not succeed"
[ "$(ls -A "$scratch/film")" = film.mp4 ] || fail "after the rerun: $(ls -A "$scratch/film"), expected film.mp4 alone"
count() { "$ffmpeg" -nostdin -v error -i "$1" -map 0:v:0 -c copy -f null - -stats 2>&1 | grep -o 'frame= *[0-9]*' | tail -n 1; }
[ "$(count "$scratch/film/film.mp4")" = "$(count "$scratch/clips/film.mp4")" ] ||
    fail "the joined film has $(count "$scratch/film/film.mp4") frames, the source $(count "$scratch/clips/film.mp4")"
echo "PASSED: two array tasks converted the five rows once each, and a rerun of one task its own rows; a film in"
echo "two pieces was joined after its killed task was rerun, with every frame"
