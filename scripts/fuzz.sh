#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build/fuzz, AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a while on its corpus.
#
#   scripts/fuzz.sh [--seconds N] [--merge] [TARGET ...]
#
# --seconds N  fuzz each target N seconds (default 60); 0 only replays the
#              corpus, every input of it once
# --merge      afterwards add to tests/fuzz/corpus/<target>/ the inputs that
#              reached new code (to be committed)
# TARGET       parser_fuzz template_fuzz string_match_fuzz startup_fuzz
#              adjust_fuzz command_line_fuzz (default: all)
#
# Each target starts from tests/fuzz/corpus/<target>/ and keeps what it
# finds in build/fuzz/corpus/<target>/. A failing input is written to
# build/fuzz/artifacts/; once the fault is fixed, copy it into
# tests/fuzz/corpus/<target>/ so that every later run replays it. The last
# lines give the executions of each target and their total. Exit status 0
# when no target failed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60 merge=0 targets=()
while (($#)); do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --merge) merge=1; shift ;;
    -*) echo "usage: $0 [--seconds N] [--merge] [TARGET ...]" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
((${#targets[@]})) || targets=(parser_fuzz template_fuzz string_match_fuzz startup_fuzz adjust_fuzz
                               command_line_fuzz)

build=build/fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" -DKEYMEND_SANITIZE=ON -DKEYMEND_FUZZ=ON \
  -DKEYMEND_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j2 >/dev/null

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/artifacts"
failed=0 total=0
summary=()
for t in "${targets[@]}"; do
  seeds=tests/fuzz/corpus/$t
  found=$build/corpus/$t
  mkdir -p "$seeds" "$found"
  log=$build/$t.log
  if ((seconds > 0)); then
    args=(-max_total_time="$seconds" "$found" "$seeds")
  else
    args=(-runs=0 "$seeds")  # replay: each input once
  fi
  status=0
  "$build/tests/fuzz/$t" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/artifacts/$t-" "${args[@]}" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  runs=${runs:-0}
  total=$((total + runs))
  if ((status != 0)); then
    failed=$((failed + 1))
    summary+=("$(printf '%-18s FAILED after %s executions (see %s)' "$t" "$runs" "$log")")
    grep -E 'ERROR|SUMMARY|check failed|runtime error' "$log" | head -5 >&2 || true
  else
    summary+=("$(printf '%-18s %10s executions, corpus %s inputs' "$t" "$runs" \
      "$(find "$seeds" "$found" -type f | wc -l)")")
  fi
  if ((merge && status == 0)); then
    "$build/tests/fuzz/$t" -merge=1 "$seeds" "$found" >>"$log" 2>&1
  fi
done

echo "== fuzzing: ${seconds}s a target"
printf '%s\n' "${summary[@]}"
echo "total executions: $total"
echo "failed targets: $failed"
((failed == 0))
