#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (default 60 s),
# starting from its checked-in seeds in fuzz/<suite>/corpus/<target>/. Inputs it finds are
# kept in build-fuzz/corpus/<target>/, findings in build-fuzz/findings/<target>/.
# Fails when a target crashes or finds something, and when a target and its seeds do not pair up.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
./scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
targets=()
for fuzzer in build-fuzz/fuzz/*; do
  if [ -f "$fuzzer" ] && [ -x "$fuzzer" ]; then targets+=("$(basename "$fuzzer")"); fi
done
for seeds in fuzz/*/corpus/*/; do
  name=$(basename "$seeds")
  [ -x "build-fuzz/fuzz/$name" ] || { echo "seeds $seeds have no fuzz target $name"; status=1; }
done

for name in "${targets[@]}"; do
  seeds=$(find fuzz -mindepth 3 -maxdepth 3 -type d -path "fuzz/*/corpus/$name" | head -n 1)
  if [ -z "$seeds" ]; then
    echo "== $name: no seeds in fuzz/*/corpus/$name"; status=1; continue
  fi
  mkdir -p "build-fuzz/corpus/$name" "build-fuzz/findings/$name"
  echo "== $name (${seconds}s from $seeds)"
  # The first folder takes new inputs; the seeds are only read.
  if ! "build-fuzz/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="build-fuzz/findings/$name/" "build-fuzz/corpus/$name" "$seeds" \
      2>"build-fuzz/$name.log"; then
    echo "   FAILED: see build-fuzz/$name.log"; tail -n 20 "build-fuzz/$name.log"; status=1
  else
    grep -E 'stat::number_of_executed_units' "build-fuzz/$name.log" || true
  fi
done
exit $status
