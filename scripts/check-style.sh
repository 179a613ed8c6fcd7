#!/usr/bin/env bash
# The house style, as CI checks it: clang-format (the repo's .clang-format) over every C++ file,
# and qmllint over every QML module (CMake's all_qmllint, which fails on any warning). Both run,
# so one report shows every fault. Fix formatting with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
echo "== clang-format"
git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' |
  xargs -0 clang-format --dry-run -Werror || status=1
echo "== qmllint"
cmake --preset default >/dev/null
cmake --build --preset default --target all_qmllint || status=1
exit $status
