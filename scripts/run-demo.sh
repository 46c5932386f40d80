#!/usr/bin/env bash
# Builds the program and the stand-in AppRun component (KLinkUI.dll, placed beside it) and runs
# the program once with the arguments given, showing what the component received and the exit
# status. Without arguments it passes a few, among them "--exit 7" for the component.
#   scripts/run-demo.sh [ARGUMENT...]
# BUILD_DIR chooses the build folder (default: build-demo in the repository, ignored by git).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-demo}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLINKSTART_BUILD_TESTS=OFF -DLINKSTART_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target linkstart >/dev/null
if [ $# -eq 0 ]; then set -- "two words" "表示" --exit 7; fi
echo "\$ $build/program/linkstart $*"
status=0
"$build/program/linkstart" "$@" || status=$?
echo "exit status: $status"
