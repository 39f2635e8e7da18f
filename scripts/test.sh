#!/usr/bin/env bash
# Builds and runs the whole test suite twice: an optimised build, then a
# debug build under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in release asan; do
  echo "== $preset: configure and build" >&2
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset: test" >&2
  ctest --preset "$preset"
done
echo "== crash test: 5 trials" >&2
scripts/crash_test.sh --trials 5 --build build/release
echo "== fuzzing: 10 s a target" >&2
scripts/fuzz.sh --seconds 10
echo "== all tests passed" >&2
