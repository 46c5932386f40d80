#!/usr/bin/env bash
# Fetches the upstream tarballs of the Windows dependencies into DIR with
# `apt-get source --download-only`, through a private apt configuration under DIR/apt: its
# deb-src entries are made from this machine's own Debian sources (the same archive address and
# keyring), for bookworm (apr, apr-util, expat) and sid (log4cxx 1.5.0). /etc/apt is only read.
#   scripts/fetch-win32-sources.sh DIR
set -euo pipefail
dir=${1:?usage: fetch-win32-sources.sh DIR}
mkdir -p "$dir/apt/lists/partial" "$dir/apt/cache/archives/partial" "$dir/apt/sources.list.d"
dir=$(cd "$dir" && pwd)

# The machine's Debian archive and keyring, from its deb822 or one-line sources.
uri="" keyring=""
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  u=$(awk '$1=="URIs:" {print $2; exit}' "$f")
  s=$(awk '$1=="Suites:" {$1=""; print; exit}' "$f")
  if [ -n "$u" ] && [[ " $s " == *" bookworm "* ]]; then
    uri=${u%% *}
    keyring=$(awk '$1=="Signed-By:" {print $2; exit}' "$f")
    break
  fi
done
if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
  uri=$(awk '$1=="deb" && / bookworm / {for (i=2;i<=NF;i++) if ($i ~ /^[a-z]+:\/\//) {print $i; exit}}' \
        /etc/apt/sources.list)
fi
[ -n "$uri" ] || { echo "no Debian bookworm source in /etc/apt" >&2; exit 1; }
keyring=${keyring:-/usr/share/keyrings/debian-archive-keyring.gpg}

cat > "$dir/apt/sources.list.d/win32-deps.sources" <<SOURCES
Types: deb-src
URIs: $uri
Suites: bookworm sid
Components: main
Signed-By: $keyring
SOURCES
opts=(-o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$dir/apt/sources.list.d"
      -o Dir::State::Lists="$dir/apt/lists" -o Dir::Cache="$dir/apt/cache"
      -o Dir::Etc::preferencesparts=/dev/null -o APT::Get::List-Cleanup=false)
apt-get "${opts[@]}" update -q
cd "$dir"
# Each package at the Debian revision, in either suite, that carries the pinned upstream version.
for pin in apr:1.7.2 apr-util:1.6.3 expat:2.5.0 log4cxx:1.5.0; do
  package=${pin%%:*} upstream=${pin#*:}
  version=$(apt-cache "${opts[@]}" showsrc "$package" | awk '$1=="Version:" {print $2}' |
            grep -m 1 "^$upstream-" || true)
  [ -n "$version" ] || { echo "no source package of $package $upstream" >&2; exit 1; }
  # Only the upstream tarball is needed; a missing .dsc or signature does not matter, and the
  # caller checks every tarball against the pinned checksums.
  apt-get "${opts[@]}" source --download-only -q "$package=$version" ||
    echo "note: not every file of $package $version was fetched" >&2
done
