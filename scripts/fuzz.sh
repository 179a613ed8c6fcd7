#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (default 60 s).
# Findings are left in build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
./scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
status=0
for fuzzer in build-fuzz/fuzz/*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  mkdir -p "build-fuzz/corpus/$name" "build-fuzz/findings/$name"
  echo "== $name (${seconds}s)"
  if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$name/" "build-fuzz/corpus/$name" 2>"build-fuzz/$name.log"; then
    echo "   FAILED: see build-fuzz/$name.log"; status=1
  else
    grep -E 'stat::number_of_executed_units' "build-fuzz/$name.log" || true
  fi
done
exit $status
