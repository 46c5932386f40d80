#!/usr/bin/env bash
# Builds the Windows program and runs its suite under Wine, in build-win32/ of the repository
# (WIN32_BUILD overrides): the compilers and Wine (setup-win32.sh), the dependencies (cached in
# build-win32/deps), a private Wine session (build-win32/wine), the build and CTest.
#   scripts/build-win32.sh [--no-tests]
#
# The program's target is 32-bit Windows (cmake/mingw-i686.cmake). On a machine whose kernel
# runs no 32-bit code, Wine can run only 64-bit programs: there the same sources are built for
# x86-64 Windows (cmake/mingw-x86_64.cmake) and the suite runs on that build. The program folder
# (program, KLinkUI.dll, log4cxx.dll, Korvo.Suite.Shared.manifest) is
# build-win32/<arch>/program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${WIN32_BUILD:-$root/build-win32}
run_tests=1
[ "${1:-}" = "--no-tests" ] && run_tests=0

bash "$root/scripts/setup-deps.sh"
bash "$root/scripts/setup-win32.sh"
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"
if wine_runs_32bit; then
  arch=i686 session=win32
else
  echo "note: this kernel runs no 32-bit code; building and testing for x86-64 Windows" >&2
  arch=x86_64 session=win64
fi
toolchain=$root/cmake/mingw-$arch.cmake

start=$(date +%s)
prefix=$(bash "$root/scripts/build-win32-deps.sh" "$out/deps" "$toolchain" | tail -n 1)
echo "dependencies: $prefix ($(($(date +%s) - start)) s)"
wine_session_start "$out/wine" "$session"
trap wine_session_stop EXIT

build=$out/$arch
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_FIND_ROOT_PATH="$prefix" \
  -DLINKSTART_WINE="$LINKSTART_WINE" > "$build.configure.log" || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j2
echo "program folder: $build/program"
ls -l "$build/program"
if [ "$run_tests" = 1 ]; then
  ctest --test-dir "$build" --output-on-failure -j2
fi
