#!/usr/bin/env bash
# One chunk of an image sequence, rendered as one task of a Slurm job array.
# FIRST and LAST are the sequence's frames, CHUNK the frames a task renders;
# submit one task a chunk, numbered from 0, with huesieve-render's options
# and the sequence's INPUT and OUTPUT after the script:
#
#   export FIRST=1001 LAST=1100 CHUNK=10
#   sbatch --array=0-$(( (LAST - FIRST) / CHUNK )) --cpus-per-task=8 \
#     huesieve-slurm.sh --settings key.json plate.####.exr key.####.exr
#
# sbatch hands the task the submitting shell's environment, these three and
# PATH (which must lead to huesieve-render on every node) among them.
#SBATCH --job-name=huesieve
set -euo pipefail

: "${FIRST:?set FIRST, the sequence's first frame}"
: "${LAST:?set LAST, the sequence's last frame}"
: "${CHUNK:?set CHUNK, the frames a task renders}"
: "${SLURM_ARRAY_TASK_ID:?submit with sbatch --array}"

first=$((FIRST + SLURM_ARRAY_TASK_ID * CHUNK))
last=$((first + CHUNK - 1))
if ((last > LAST)); then last=$LAST; fi
if ((first > LAST)); then
  echo "task $SLURM_ARRAY_TASK_ID starts past frame $LAST: too many tasks for the chunks" >&2
  exit 1
fi
# The tool shares the processors the task may run on between its frames and
# their rows.
exec huesieve-render --quiet --frames "$first-$last" "$@"
