#!/usr/bin/env bash
# The unit tests under AddressSanitizer and UBSan (the asan preset, its own build in build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan "$@"
