#!/usr/bin/env bash
# Renders an image sequence across a Slurm job array, as docs/huesieve-render.md
# shows it, on a one-node Slurm started here for the test (munged, slurmctld
# and slurmd as root, run directly, stopped at the end), and checks that every
# frame equals the one a local run of the same command renders.
# Usage: scripts/test-slurm.sh [DIRECTORY OF huesieve-render]   (build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
repository=$PWD
tool_dir=$(realpath "${1:-build/release}")
if [[ ! -x $tool_dir/huesieve-render ]]; then
  echo "test-slurm: no huesieve-render in $tool_dir (scripts/demo.sh builds it)" >&2
  exit 1
fi
if [[ $(id -u) -ne 0 ]]; then
  echo "test-slurm: the test cluster's daemons run as root; run this as root" >&2
  exit 1
fi
scripts/setup.sh slurm-wlm munge

# The script the docs show is the one that runs here.
documented=$(awk '/\(farm\/huesieve-slurm\.sh\):$/ { found = 1; next }
  found && /^```bash$/ { inside = 1; next }
  inside && /^```$/ { exit }
  inside { print }' docs/huesieve-render.md)
if [[ $documented != "$(cat docs/farm/huesieve-slurm.sh)" ]]; then
  echo "test-slurm: docs/huesieve-render.md does not show docs/farm/huesieve-slurm.sh as it is" >&2
  exit 1
fi

work=$(mktemp -d)
# munged wants every directory up to its socket searchable by all.
chmod 755 "$work"
daemons=()
stop() {
  local pid
  for pid in "${daemons[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${daemons[@]}"; do
    timeout 20 tail --pid="$pid" -f /dev/null || kill -9 "$pid" 2>/dev/null || true
  done
  if [[ -s $work/munge/pid ]]; then kill "$(cat "$work/munge/pid")" 2>/dev/null || true; fi
  rm -rf "$work"
}
show_logs() {
  local log
  for log in "$work"/log/*; do
    [[ -f $log ]] || continue
    echo "--- $log"
    tail -n 30 "$log"
  done
}
trap stop EXIT
trap 'status=$?; echo "test-slurm: failed (line $LINENO)" >&2; show_logs >&2; exit $status' ERR

# Ports no other service on the machine is listening on.
free_port() {
  local port=$1
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
  echo "$port"
}
controller_port=$(free_port 16817)
node_port=$(free_port $((controller_port + 1)))

mkdir -p "$work"/{munge,state,spool,log,shot}
chmod 755 "$work/munge"
mungekey --create --keyfile="$work/munge/munge.key"
munged --socket="$work/munge/socket" --key-file="$work/munge/munge.key" \
  --log-file="$work/log/munged.log" --pid-file="$work/munge/pid" --seed-file="$work/munge/seed"

cat >"$work/slurm.conf" <<CONF
ClusterName=huesieve-test
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$controller_port
SlurmdPort=$node_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/munge/socket
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
MailProg=/bin/true
MpiDefault=none
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
NodeName=localhost NodeAddr=127.0.0.1 CPUs=2 State=UNKNOWN
PartitionName=test Nodes=localhost Default=YES MaxTime=10 State=UP
CONF
export SLURM_CONF=$work/slurm.conf
slurmctld -D -f "$SLURM_CONF" >"$work/log/slurmctld.out" 2>&1 &
daemons+=($!)
slurmd -D -N localhost -f "$SLURM_CONF" >"$work/log/slurmd.out" 2>&1 &
daemons+=($!)

# Up when the node takes work.
for ((wait = 0; wait < 60; ++wait)); do
  [[ $(sinfo -h -n localhost -o %T 2>/dev/null) == idle ]] && break
  sleep 1
done
[[ $(sinfo -h -n localhost -o %T) == idle ]]

# Twelve frames, in chunks of five: three tasks, the last one short.
cd "$work/shot"
for ((frame = 1001; frame <= 1012; ++frame)); do
  cp "$repository/samples/huesieve-sample.png" "in.$frame.png"
done
key=(--enable --entry 1:DB2924:110:60 --entry 2:29B33D:100:50)
export PATH=$tool_dir:$PATH
export FIRST=1001 LAST=1012 CHUNK=5
timeout 300 sbatch --wait --array=0-$(((LAST - FIRST) / CHUNK)) --output="$work/log/task-%A_%a.out" \
  "$repository/docs/farm/huesieve-slurm.sh" "${key[@]}" in.####.png farm.####.png
tasks=$(ls "$work"/log/task-*.out | wc -l)
[[ $tasks -eq 3 ]]

huesieve-render --quiet "${key[@]}" in.####.png local.####.png
for ((frame = 1001; frame <= 1012; ++frame)); do
  cmp "local.$frame.png" "farm.$frame.png"
done
[[ $(ls farm.*.png | wc -l) -eq 12 ]]
echo "test-slurm: 12 frames in 3 Slurm array tasks, each the same as a local render"
