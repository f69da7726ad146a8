#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for SECONDS each (or, when RUNS is given, for RUNS
# executions each, however long that takes), starting from its seed corpus in
# fuzz/corpus/<name>/, and fails when any target finds a crash, a hang (one input taking more
# than 5 s) or a leak. TARGETS, when given, names the targets to run (space-separated). The
# failing input and the target's output stay in BUILD/fuzz-findings/<name>/; inputs found along
# the way go to a temporary folder, never into the repository's seeds.
# usage: run-fuzz.sh [BUILD] [SECONDS] [RUNS] [TARGETS]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(realpath "${1:-build-fuzz}")
seconds=${2:-30}
runs_wanted=${3:-}
only=${4:-}
if [[ -n "$runs_wanted" ]]; then
  limit=(-runs="$runs_wanted")
else
  limit=(-max_total_time="$seconds")
fi
findings=$build/fuzz-findings

corpus=""
trap '[[ -n "$corpus" ]] && rm -rf "$corpus"' EXIT

targets=("$build"/fuzz/fuzz_*)
if [[ ! -x "${targets[0]}" ]]; then
  echo "fuzz: no fuzz targets in $build/fuzz: build them first (make fuzz)" >&2
  exit 1
fi

status=0
for target in "${targets[@]}"; do
  name=${target##*/fuzz_}
  if [[ -n "$only" && " $only " != *" $name "* ]]; then
    continue
  fi
  seeds=$root/fuzz/corpus/$name
  if [[ ! -d "$seeds" ]]; then
    echo "fuzz: $name: no seed corpus in $seeds" >&2
    status=1
    continue
  fi
  mkdir -p "$findings/$name"
  log=$findings/$name/output.txt
  corpus=$(mktemp -d)
  # Absolute paths: a target may change its working directory.
  started=$SECONDS
  if "$target" "${limit[@]}" -timeout=5 -detect_leaks=1 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$name/" "$corpus" "$seeds" >"$log" 2>&1; then
    runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
    rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
    echo "fuzz: $name: ${runs:-?} inputs in $((SECONDS - started)) s (${rate:-?}/s), no crash, hang or leak"
  else
    echo "fuzz: $name FAILED - the input is in $findings/$name/, the output in $log:" >&2
    grep -E "ERROR|SUMMARY|ALARM|Test unit written" "$log" >&2 || tail -n 20 "$log" >&2
    status=1
  fi
  rm -rf "$corpus"
  corpus=""
done
exit $status
