#!/usr/bin/env bash
# The test command, and what CI runs: installs what is missing, checks the house style, builds
# the default preset and runs every test, installs it and runs the installed tree's smoke test
# and builds its packages, runs the unit tests again under the sanitizers, and builds every fuzz
# target and runs it briefly from its seeds. Each step is a script of its own.
# Arguments go to the default preset's ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
step() {
  local started=$SECONDS
  echo "==== $1"
  shift
  "$@"
  echo "==== done in $((SECONDS - started)) s"
}
./scripts/setup.sh
# Three presets build the same sources; a compiler cache keeps the rebuilds cheap.
export CMAKE_CXX_COMPILER_LAUNCHER="${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}"
step "style" ./scripts/check-style.sh
step "build" cmake --build --preset default
step "tests" ctest --preset default "$@"
step "install" ./scripts/test-install.sh build
step "sanitizers" ./scripts/test-asan.sh
step "fuzz smoke" ./scripts/fuzz.sh 5
