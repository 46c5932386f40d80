#!/usr/bin/env bash
# Builds both packages into build-package/ of the repository (PACKAGE_DIR overrides):
#   linkstart_<version>_<arch>.deb    from a Release build without tests in build-package/linux
#   linkstart-<version>-win32.zip     from the Windows build of scripts/build-win32.sh
# The version is the project version of CMakeLists.txt. On a kernel that runs no 32-bit code
# the Windows build is the x86-64 one and the archive is named ...-win64.zip (see
# scripts/build-win32.sh). The archive holds one folder: the Windows program folder.
#   scripts/package.sh [--linux-only]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${PACKAGE_DIR:-$root/build-package}
mkdir -p "$out"
out=$(cd "$out" && pwd)

bash "$root/scripts/setup-deps.sh"
cmake -S "$root" -B "$out/linux" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DLINKSTART_BUILD_TESTS=OFF -DLINKSTART_BUILD_BENCHMARKS=OFF > "$out/linux.configure.log" ||
  { cat "$out/linux.configure.log"; exit 1; }
cmake --build "$out/linux" -j2
rm -f "$out"/linkstart_*.deb "$out"/linkstart-*.zip
cpack --config "$out/linux/CPackConfig.cmake" -B "$out"

if [ "${1:-}" != "--linux-only" ]; then
  win32_build=${WIN32_BUILD:-$root/build-win32}
  WIN32_BUILD=$win32_build bash "$root/scripts/build-win32.sh" --no-tests
  # shellcheck source=wine-session.sh
  source "$root/scripts/wine-session.sh"
  if wine_runs_32bit; then arch=i686; else arch=x86_64; fi
  cpack --config "$win32_build/$arch/CPackConfig.cmake" -B "$out"
fi
rm -rf "$out/_CPack_Packages"
find "$out" -maxdepth 1 \( -name 'linkstart_*.deb' -o -name 'linkstart-*.zip' \) -printf '%s\t%p\n'
