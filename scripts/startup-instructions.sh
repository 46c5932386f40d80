#!/usr/bin/env bash
# Counts the instructions of one whole start of the program and of the minimal host with
# callgrind, set up as bench/startup_bench.cpp starts them: a temporary folder with the program
# copied as Sample beside the component, a temporary home, the host given the configuration
# that the program wrote and the component's path. Prints both counts and their ratio.
#   scripts/startup-instructions.sh [BUILD_DIR]      (default: build in the repository)
# KEEP_PROFILES=DIR keeps the two callgrind files there for callgrind_annotate.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program=$build/program/linkstart
component=$build/program/KLinkUI.dll
shared_assembly=$build/program/Korvo.Suite.Shared.manifest
host=$build/bench/minimal_host
for file in "$program" "$component" "$shared_assembly" "$host"; do
  [ -x "$file" ] || [ -f "$file" ] || { echo "missing $file (build first)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/linkstart-instructions-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app" "$work/home"
cp "$program" "$work/app/Sample"
cp "$component" "$shared_assembly" "$work/app/"
configuration=$work/home/Documents/Korvo/SystemLog/Sample.ini

# As the benchmark does: the same folder and environment for both, output discarded.
start() {
  (cd "$work" && unset DISPLAY WAYLAND_DISPLAY XDG_CONFIG_HOME && HOME="$work/home" "$@" \
    >/dev/null 2>&1)
}
# Writes the configuration that the host reads; a start that cannot create AppRun would not
# measure a whole start.
start ./app/Sample || { echo "the program did not start AppRun" >&2; exit 1; }
[ -f "$configuration" ] || { echo "the program wrote no $configuration" >&2; exit 1; }

count() {  # count NAME COMMAND...: total instructions of one start
  local out=$work/callgrind.$1
  start valgrind --tool=callgrind --trace-children=no --callgrind-out-file="$out" "${@:2}"
  [ -n "${KEEP_PROFILES:-}" ] && mkdir -p "$KEEP_PROFILES" && cp "$out" "$KEEP_PROFILES/"
  sed -n 's/^summary: //p' "$out"
}
program_count=$(count program ./app/Sample)
host_count=$(count host "$host" "$configuration" "$work/app/KLinkUI.dll")
echo "program      $program_count"
echo "minimal_host $host_count"
awk -v p="$program_count" -v h="$host_count" 'BEGIN { printf "ratio        %.3f\n", p / h }'
