#!/usr/bin/env bash
# The run command: builds, brings up a virtual Mac with the default profile in a temporary
# system root, and shows what its SMC reports until interrupted.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
root=$(mktemp -d /tmp/brisvane-mac-XXXXXX)
sim=build/bin/brisvane-sim
vsmc=build/bin/brisvane-vsmc
cleanup() { "$sim" down "$root" >/dev/null 2>&1 || true; rm -rf "$root"; }
trap cleanup EXIT
trap 'exit 0' INT TERM
"$sim" up "$root" --profile "${BRISVANE_PROFILE:-two-fan-laptop}"
echo "virtual Mac at $root (BRISVANE_SYSTEM_ROOT=$root); Ctrl-C stops it"
for ((i = 0; ${BRISVANE_RUN_SECONDS:-0} == 0 || i < BRISVANE_RUN_SECONDS; i += 2)); do
  "$vsmc" ctl --root "$root" status
  sleep 2
done
