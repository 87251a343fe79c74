#!/usr/bin/env bash
# A long fuzzing campaign of one libFuzzer target, run in chunks so that every chunk's execution
# count is kept even when the campaign is cut short. Each chunk appends one line to the campaign
# log, tests/fuzz/campaign.log, which keeps the record of every campaign (commit it with the work):
# when the chunk ended, the target, the commit it ran (with "+" if the work tree differed), its
# executions, executions per second, and "clean" or the finding's artefact. A finding stops the
# campaign; the input stays in the target's crashes/ folder.
#
#   tools/fuzz_campaign.sh TARGET MINUTES [CHUNK_MINUTES]     (default chunks of 20 minutes)
#   tools/fuzz_campaign.sh --total                             clean executions per target and commit
#
# The corpus grows in WORK/TARGET/corpus, seeded from tests/fuzz/corpus/TARGET on first use. Two
# campaigns of one target (one per core) share that corpus if each has its own FUZZ_WORKER name.
# Environment: FUZZ_BUILD (default build-fuzz, a -DFUZZ=ON build), FUZZ_WORK (default fuzz-work),
# FUZZ_LOG (default tests/fuzz/campaign.log),
# ASAN_OPTIONS (default: a 16 MiB quarantine and short allocation stacks, which run the targets
# about a third faster than the defaults; a replay of a finding shows the full stacks).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${FUZZ_BUILD:-build-fuzz}
WORK=${FUZZ_WORK:-fuzz-work}
LOG=${FUZZ_LOG:-tests/fuzz/campaign.log}
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=2}

if [ "${1:-}" = --total ]; then
  [ -f "$LOG" ] || { echo "fuzz_campaign: no campaign log at $LOG" >&2; exit 2; }
  awk '$6 == "clean" { n[$2 " " $3] += $4 } END { for (k in n) printf "%-24s %12d\n", k, n[k] }' "$LOG" | sort
  exit 0
fi

usage() { echo "usage: tools/fuzz_campaign.sh TARGET MINUTES [CHUNK_MINUTES] | --total" >&2; exit 2; }
[ $# -ge 2 ] || usage
target=$1 minutes=$2 chunk=${3:-20}
[[ $minutes =~ ^[0-9]+$ && $chunk =~ ^[0-9]+$ && $chunk -gt 0 ]] || usage
fuzzer=$BUILD/bin/$target
[ -x "$fuzzer" ] || { echo "fuzz_campaign: no fuzz target $fuzzer (build with -DFUZZ=ON)" >&2; exit 2; }

dir=$WORK/$target
last=$dir/last${FUZZ_WORKER:+-$FUZZ_WORKER}.log
mkdir -p "$dir/corpus" "$dir/crashes"
[ -n "$(ls -A "$dir/corpus")" ] || cp tests/fuzz/corpus/"$target"/* "$dir/corpus/"
args=(-timeout=30 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/crashes/")
[ -f tests/fuzz/"$target".dict ] && args+=(-dict=tests/fuzz/"$target".dict)
commit=$(git rev-parse --short HEAD)
git diff --quiet HEAD -- . ":(exclude)tests/fuzz/campaign.log" || commit+="+"

left=$minutes
while ((left > 0)); do
  this=$((left < chunk ? left : chunk))
  set +e
  "$fuzzer" "${args[@]}" -max_total_time=$((this * 60)) "$dir/corpus" >"$last" 2>&1
  status=$?
  set -e
  runs=$(awk '/stat::number_of_executed_units/ { print $2 }' "$last")
  rate=$(awk '/stat::average_exec_per_sec/ { print $2 }' "$last")
  result=clean
  if ((status != 0)); then
    result=$(grep -o -E "(crash|leak|timeout|oom|slow-unit)-[0-9a-f]+" "$last" | tail -n 1)
    result=finding:${result:-exit-$status}
    cp "$last" "$dir/crashes/finding-$(date -u +%Y%m%dT%H%M%S).log"
  fi
  echo "$(date -u +%Y-%m-%dT%H:%M:%SZ) $target $commit ${runs:-0} ${rate:-0} $result" | tee -a "$LOG"
  [ "$result" = clean ] || exit 1
  left=$((left - this))
done
