#!/usr/bin/env bash
# The test command: installs what is missing, builds the default preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default "$@"
