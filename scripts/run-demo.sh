#!/usr/bin/env bash
# Builds the program and the stand-in AppRun component (KLinkUI.dll, placed beside it), runs the
# program once with the arguments given and shows what the component received, the exit status,
# and where the log configuration and the log file went. Without arguments it passes a few,
# among them "--exit 7" for the component.
#   scripts/run-demo.sh [ARGUMENT...]
# BUILD_DIR chooses the build folder (default: build-demo in the repository, ignored by git).
# The demo runs with a home folder of its own (DEMO_HOME, default <build>/demo-home), so the
# log folder lands there and not in your own Documents folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-demo}
home=${DEMO_HOME:-$build/demo-home}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLINKSTART_BUILD_TESTS=OFF -DLINKSTART_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target linkstart >/dev/null
mkdir -p "$home"
if [ $# -eq 0 ]; then set -- "two words" "表示" --exit 7; fi
echo "\$ $build/program/linkstart $*"
status=0
env -u XDG_CONFIG_HOME HOME="$home" "$build/program/linkstart" "$@" || status=$?
echo "exit status: $status"

logs="$home/Documents/Korvo/SystemLog"
echo
echo "log configuration: $logs/linkstart.ini"
sed 's/\r$//; s/^/  /' "$logs/linkstart.ini"
log=$(ls -t "$logs"/linkstart/linkstart.*.txt 2>/dev/null | head -n 1 || true)
if [ -n "$log" ]; then
  echo "log file: $log (last line)"
  tail -n 1 "$log" | sed 's/^/  /'
fi
