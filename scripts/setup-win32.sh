#!/usr/bin/env bash
# Installs what the Windows build and its suite under Wine need on Debian 12, on top of
# scripts/setup-deps.sh: the i686 mingw-w64 compiler with posix threads (the win32 thread model
# has no std::mutex) and Wine 8.0 with its 32-bit half (i386 architecture); the x86-64
# compiler too, for machines whose kernel runs no 32-bit code (see cmake/mingw-x86_64.cmake).
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 googletest locales fonts-noto-cjk xvfb xdotool imagemagick)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi
# After adding the architecture the package lists must be read again, or wine32:i386 is unknown.
if [ "$need_update" -eq 1 ] || ! apt-cache show wine32:i386 > /dev/null 2>&1; then
  $SUDO apt-get update -q
fi
echo "Installing: ${missing[*]}"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
