#!/usr/bin/env bash
# The house style, as CI checks it: clang-format (the repo's .clang-format) over every C++ file,
# our layers depending one way (scripts/check-layers.py over CMake's target graph and our
# includes), and qmllint over every QML module (CMake's all_qmllint, which fails on any warning).
# All run, so one report shows every fault. Fix formatting with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
echo "== clang-format"
git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' |
  xargs -0 clang-format --dry-run -Werror || status=1
echo "== layers"
cmake --preset default --graphviz=build/layers/targets.dot >/dev/null
/usr/bin/python3 scripts/check-layers.py build/layers/targets.dot || status=1
echo "== qmllint"
cmake --build --preset default --target all_qmllint || status=1
exit $status
