#!/usr/bin/env bash
# Builds the libFuzzer targets (in the clang `asan` preset, fuzz targets only) and runs each one for a while on
# its committed corpus, so that a target that no longer builds, or an input that now crashes, fails at once.
# New inputs go to build/asan/runs/<target>/, never into fuzz/corpus. A crash, leak, sanitizer report,
# timeout or broken promise stops that target; its log is printed with the reproducer's path and bytes
# (base64, so the reproducer can be made again from a CI log), and the script fails.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
root=$PWD
scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan -j "$(nproc)" --target fuzzers

work="$root/build/asan/runs"
rm -rf "$work"
mkdir -p "$work"
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# Runs one target; its exit status is in $work/<name>/status afterwards.
run_target() {
  local name=$1
  local fuzzer="$root/build/asan/fuzz/${name}_fuzzer"
  local scratch="$work/$name"
  mkdir -p "$scratch/corpus" "$scratch/artifacts"
  # A target with its own dictionary (fuzz/<name>.dict) uses it; the others share the property-list one.
  local dict="$root/fuzz/$name.dict"
  [ -e "$dict" ] || dict="$root/fuzz/property_lists.dict"
  local status=0
  "$fuzzer" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
    -dict="$dict" -artifact_prefix="$scratch/artifacts/" \
    "$scratch/corpus" "$root/fuzz/corpus/$name" >"$scratch/log" 2>&1 || status=$?
  echo "$status" >"$scratch/status"
}

names=()
for corpus in fuzz/corpus/*/; do
  names+=("$(basename "$corpus")")
done

# As many targets at a time as there are processors.
running=0
for name in "${names[@]}"; do
  run_target "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$(nproc)" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
for name in "${names[@]}"; do
  scratch="$work/$name"
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/log")
  if [ "$(cat "$scratch/status")" = 0 ]; then
    echo "fuzz: $name: ${executions:-?} runs in ${seconds}s, $(grep -o 'cov: [0-9]* ft: [0-9]*' "$scratch/log" | tail -n 1)"
    continue
  fi
  failed=1
  echo "fuzz: $name FAILED; its log:" >&2
  tail -n 60 "$scratch/log" >&2
  for artifact in "$scratch"/artifacts/*; do
    [ -e "$artifact" ] || continue
    echo "fuzz: $name: reproducer $artifact ($(stat -c %s "$artifact") bytes); replay with" >&2
    echo "  LSAN_OPTIONS=suppressions=fuzz/lsan.supp build/asan/fuzz/${name}_fuzzer $artifact" >&2
    echo "fuzz: its bytes in base64:" >&2
    head -c 4096 "$artifact" | base64 >&2
  done
done
exit "$failed"
