#!/usr/bin/env bash
# Cross-builds the Windows (mingw-w64, posix threads) dependencies of the program: expat 2.5.0,
# APR 1.7.2, APR-util 1.6.3 and GoogleTest (Debian's /usr/src/googletest) as static libraries,
# and log4cxx 1.5.0 as one DLL with those three linked into it. The logging library must be one
# instance in the process, shared by the program and the component it activates (the
# component logs under the configuration that start-up made), as liblog4cxx.so is on Linux; a
# static copy in each module would give the component an unconfigured library of its own.
# Prints the install prefix on its last line.
#
#   scripts/build-win32-deps.sh CACHE_DIR [TOOLCHAIN_FILE]
#
# TOOLCHAIN_FILE defaults to cmake/mingw-i686.cmake (the program's target).
#
# The prefix lies in CACHE_DIR/<key>, the key made from the versions, the pinned checksums, the
# patches and the toolchain file, so a later build reuses it and a change of any of them builds
# anew. Sources: the upstream tarballs that Debian's source packages carry, checked against
# cmake/win32-deps.sha256; taken from ../shared/win32-sources beside the repository when it
# exists (WIN32_SOURCES overrides), else fetched with `apt-get source --download-only` through a
# private apt configuration made from this machine's own apt sources. /etc/apt is never changed.
# APR's build generates one table with a small tool of its own; it is built for this machine
# (plain C, the same table for every target), so nothing runs under Wine here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${1:?usage: build-win32-deps.sh CACHE_DIR [TOOLCHAIN_FILE]}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
toolchain=$(realpath "${2:-$root/cmake/mingw-i686.cmake}")
sums=$root/cmake/win32-deps.sha256
patches=$root/cmake/win32-patches
tarballs=(apr_1.7.2.orig.tar.bz2 apr-util_1.6.3.orig.tar.bz2 expat_2.5.0.orig.tar.gz
          log4cxx_1.5.0.orig.tar.gz)

key=$(cat "$sums" "$patches"/*.patch "$toolchain" "$root/cmake/mingw-common.cmake" "$0" |
      sha256sum | cut -c1-12)
work=$cache/$(basename "$toolchain" .cmake)-log4cxx-1.5.0-apr-1.7.2-$key
prefix=$work/prefix
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
step() { echo "== $1 ($(date +%T))" >&2; }

# --- sources -------------------------------------------------------------------------------
sources=${WIN32_SOURCES:-$root/../shared/win32-sources}
if [ ! -d "$sources" ]; then
  sources=$cache/sources
  mkdir -p "$sources"
  if ! (cd "$sources" && sha256sum -c --quiet "$sums" > /dev/null 2>&1); then
    step "fetching the source tarballs through a private apt configuration"
    bash "$root/scripts/fetch-win32-sources.sh" "$sources" >&2
  fi
fi
(cd "$sources" && sha256sum -c --quiet "$sums")

rm -rf "$work"
mkdir -p "$work/src" "$prefix"
cd "$work/src"
for f in "${tarballs[@]}"; do tar xf "$sources/$f"; done
(cd apr-1.7.2 && patch -p1 -s < "$patches/apr-1.7.2-mingw.patch")
(cd apache-log4cxx-1.5.0 && patch -p1 -s < "$patches/log4cxx-1.5.0-mingw.patch")

# --- builds --------------------------------------------------------------------------------
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig   # never the host's .pc files
flags=-D_WIN32_WINNT=0x0601
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix"
        "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags")
b=$work/build
log() { "$@" >> "$b.log" 2>&1 || { tail -40 "$b.log" >&2; exit 1; }; }
mkdir -p "$b"

step "expat"
log cmake -S libexpat-R_2_5_0/expat -B "$b/expat" "${common[@]}" -DEXPAT_BUILD_TOOLS=OFF \
  -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_SHARED_LIBS=OFF
log ninja -C "$b/expat" -j2 install

step "apr (static library only)"
cc -O1 -o "$b/gen_test_char" apr-1.7.2/tools/gen_test_char.c
log cmake -S apr-1.7.2 -B "$b/apr" "${common[@]}" -DINSTALL_PDB=OFF \
  -DAPR_HOST_GEN_TEST_CHAR="$b/gen_test_char"
log ninja -C "$b/apr" -j2 apr-1
cp apr-1.7.2/include/*.h "$b/apr/apr.h" "$prefix/include/"
cp "$b/apr/libapr-1.a" "$prefix/lib/"

step "apr-util (static library only)"
log cmake -S apr-util-1.6.3 -B "$b/apu" "${common[@]}" -DINSTALL_PDB=OFF -DAPU_HAVE_ODBC=OFF \
  -DAPR_HAS_LDAP=OFF -DAPR_INCLUDE_DIR="$prefix/include" -DAPR_LIBRARIES="$prefix/lib/libapr-1.a" \
  -DEXPAT_INCLUDE_DIR="$prefix/include" -DEXPAT_LIBRARY="$prefix/lib/libexpat.a" \
  "-DCMAKE_C_FLAGS=$flags -DXML_STATIC"
log ninja -C "$b/apu" -j2 aprutil-1
cp apr-util-1.6.3/include/*.h "$b"/apu/*.h "$prefix/include/"
cp "$b/apu/libaprutil-1.a" "$prefix/lib/"

step "log4cxx (DLL)"
# -static: the DLL needs no runtime DLL beside it (the flags given here replace the
# toolchain's). --exclude-libs: the DLL exports log4cxx alone, not the runtime (libgcc, libstdc++) or APR
# linked into it, which would clash with the program's own static copies.
# The *_CONFIG_EXECUTABLE values keep the host's apr-1-config and apu-1-config out.
log cmake -S apache-log4cxx-1.5.0 -B "$b/log4cxx" "${common[@]}" -DBUILD_SHARED_LIBS=ON \
  -DAPR_STATIC=ON -DAPU_STATIC=ON -DAPR_CONFIG_EXECUTABLE=none -DAPR_UTIL_CONFIG_EXECUTABLE=none \
  -DBUILD_TESTING=OFF -DLOG4CXX_ENABLE_ODBC=OFF -DLOG4CXX_ENABLE_ESMTP=OFF \
  "-DCMAKE_SHARED_LINKER_FLAGS=-static -Wl,--exclude-libs,ALL"
log ninja -C "$b/log4cxx" -j2 install

step "googletest"
log cmake -S /usr/src/googletest -B "$b/gtest" "${common[@]}"
log ninja -C "$b/gtest" -j2 install

rm -rf "$work/src" "$b"
touch "$prefix/.complete"
step "done"
echo "$prefix"
