#!/usr/bin/env bash
# Runs each fuzz target for a given time over its seed corpus.
#   scripts/fuzz.sh [-b build-folder] [-t seconds] [target ...]
# Targets are the names under fuzz/corpus (all of them by default); the build
# folder is the sanitizer tree of `make hardening` (build-asan). New inputs
# and any failing input go to a work folder (-w, a fresh temporary one by
# default), never into the repository's seed corpus. Exits non-zero when a
# target finds a failure; the input is named in the output.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan
seconds=30
work=""
while getopts "b:t:w:" opt; do
  case $opt in
    b) build=$OPTARG ;;
    t) seconds=$OPTARG ;;
    w) work=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
[ -n "$work" ] || work=$(mktemp -d "${TMPDIR:-/tmp}/talvor-fuzz.XXXXXX")
mkdir -p "$work"

failed=()
for target in "${targets[@]}"; do
  binary="$build/fuzz/fuzz_$target"
  [ -x "$binary" ] || { echo "fuzz: $binary is missing (run make hardening)"; exit 2; }
  mkdir -p "$work/$target" "$work/artifacts"
  log="$work/$target.log"
  echo "fuzz: $target for ${seconds}s"
  status=0
  "$binary" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/$target-" "$work/$target" "fuzz/corpus/$target" \
    >"$log" 2>&1 || status=$?
  # The last status line: executions, coverage (cov) and features (ft).
  summary=$(grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE)' "$log" | tail -1 || true)
  rate=$(grep -E '^stat::average_exec_per_sec' "$log" | awk '{print $2}' || true)
  echo "fuzz: $target: ${summary:-no status line} (exec/s ${rate:-?})"
  if [ $status -ne 0 ]; then
    failed+=("$target")
    grep -E 'ERROR|property broken|SUMMARY|Test unit written' "$log" | head -20 || true
    echo "fuzz: $target failed; full output in $log"
  fi
done
echo "fuzz: work folder $work"
[ ${#failed[@]} -eq 0 ] || { echo "fuzz: failures in ${failed[*]}"; exit 1; }
