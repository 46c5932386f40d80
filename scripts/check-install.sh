#!/usr/bin/env bash
# Checks the installation as a user meets it, from the packages of scripts/package.sh (run it
# first; PACKAGE_DIR as there):
#   1. `cmake --install` of build-package/linux into a temporary prefix: exactly the expected
#      files, bin/linkstart a relative link; the installed program started through the link with
#      a temporary home writes its log configuration and log there and exits with the stand-in's
#      result; the installed example override file takes over the logging. The component
#      `program` alone gives the error box's status, 255.
#   2. The manual page renders with `man -l` without a warning.
#   3. The .deb: its version and relations, installed with `dpkg -i`, started from PATH with a
#      temporary home, removed with `dpkg -r`; the file lists of /usr, /etc, /opt and dpkg's
#      package records before and after must be the same. Needs root; a machine where linkstart
#      is installed already is refused. (Another package installed meanwhile shows as a
#      difference too.)
#   4. The ZIP unpacked and started in a fresh Wine session (scripts/wine-session.sh).
#   scripts/check-install.sh [--build DIR] [--no-dpkg] [--no-wine]
# --build installs from another Linux build folder in part 1 (CTest's install_check runs parts 1
# and 2 on the test build this way).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${PACKAGE_DIR:-$root/build-package}")
build=$out/linux
run_dpkg=1 run_wine=1
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=${2:?--build needs a folder}; shift ;;
    --no-dpkg) run_dpkg=0 ;;
    --no-wine) run_wine=0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt" 2> /dev/null)
[ -n "$version" ] || { echo "no build in $build: run scripts/package.sh" >&2; exit 1; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/linkstart-install-XXXXXX")
installed_deb=0
cleanup() {
  if [ "$installed_deb" = 1 ]; then dpkg -r linkstart > /dev/null 2>&1; fi
  if declare -F wine_session_stop > /dev/null; then wine_session_stop; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
source "$root/scripts/checks.sh"

# start HOME PROGRAM ARGUMENT...: starts the program from a folder of its own with an empty
# home and no display (so an error box never waits); sets $status
start() {
  local home=$1
  shift
  mkdir -p "$home" "$scratch/cwd"
  (cd "$scratch/cwd" &&
     env -u XDG_CONFIG_HOME -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" "$@" \
       > "$home.out" 2> "$home.err" < /dev/null)
  status=$?
}
# logged HOME: the generated configuration names the dated log file under HOME's Documents,
# and the stand-in's Run logged into it
logged() {
  local logs=$1/Documents/Korvo/SystemLog
  [ -f "$logs/linkstart.ini" ] &&
    grep -q "^log4j.appender.kAppender.File = $logs/linkstart/linkstart.1.0.0Log_[0-9]\{8\}.txt"$'\r'"\$" \
      "$logs/linkstart.ini" &&
    compgen -G "$logs/linkstart/linkstart.1.0.0Log_[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9].txt" > /dev/null &&
    [ -s "$(compgen -G "$logs/linkstart/linkstart.1.0.0Log_*.txt" | head -n 1)" ]
}

# --- 1. cmake --install -----------------------------------------------------------------------
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null
check "installed files" same "./bin
./bin/linkstart
./lib
./lib/linkstart
./lib/linkstart/KLinkUI.dll
./lib/linkstart/Korvo.Suite.Shared.manifest
./lib/linkstart/linkstart
./share
./share/doc
./share/doc/linkstart
./share/doc/linkstart/examples
./share/doc/linkstart/examples/KDefault.ini
./share/man
./share/man/man1
./share/man/man1/linkstart.1" "$(cd "$prefix" && find . -mindepth 1 | LC_ALL=C sort)"
check "bin/linkstart is a relative link" same ../lib/linkstart/linkstart "$(readlink "$prefix/bin/linkstart")"
start "$scratch/home-prefix" "$prefix/bin/linkstart" 表示 --exit 7
check "installed program through bin/: Run's result 7" [ "$status" = 7 ]
check "installed program through bin/: log configuration and log under the home" \
  logged "$scratch/home-prefix"

# The example override file, with a log path of this home, takes over: the program writes no
# configuration of its own, leaves the file as it was, and the stand-in logs where it says.
override_home=$scratch/home-override
override_logs=$override_home/Documents/Korvo/SystemLog
mkdir -p "$override_logs"
sed "s|^log4j.appender.kAppender.File = .*|log4j.appender.kAppender.File = $override_home/chosen.log|" \
  "$prefix/share/doc/linkstart/examples/KDefault.ini" > "$override_logs/KDefault.ini"
cp "$override_logs/KDefault.ini" "$scratch/KDefault.before"
start "$override_home" "$prefix/bin/linkstart" --exit 3
check "with the example override: Run's result 3" [ "$status" = 3 ]
check "with the example override: the log where the file says" [ -s "$override_home/chosen.log" ]
check "with the example override: nothing else written, the file unchanged" \
  eval 'same "KDefault.ini" "$(ls "$override_logs")" && cmp -s "$scratch/KDefault.before" "$override_logs/KDefault.ini"'

cmake --install "$build" --prefix "$scratch/program-only" --component program > /dev/null
check "component program has no KLinkUI.dll" [ ! -e "$scratch/program-only/lib/linkstart/KLinkUI.dll" ]
start "$scratch/home-program-only" "$scratch/program-only/bin/linkstart"
check "without the standin component: the error box and 255" \
  eval '[ "$status" = 255 ] && [ -s "$scratch/home-program-only.err" ]'

# --- 2. the manual page -----------------------------------------------------------------------
page=$prefix/share/man/man1/linkstart.1
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -E UTF-8 -l "$page" 2>&1 > "$scratch/man.txt")
check "man -l renders without warnings" same "" "$man_warnings"
check "man -l renders the page" grep -q "linkstart $version" "$scratch/man.txt"

# --- 3. the Debian package --------------------------------------------------------------------
if [ "$run_dpkg" = 1 ]; then
  deb=$out/linkstart_${version}_$(dpkg --print-architecture).deb
  check ".deb built" [ -f "$deb" ]
  check ".deb version is the project version" same "$version" "$(dpkg-deb -f "$deb" Version)"
  check ".deb depends on log4cxx (computed)" eval 'dpkg-deb -f "$deb" Depends | grep -q liblog4cxx'
  check ".deb recommends GTK 3 and a CJK font" \
    same "libgtk-3-0, fonts-noto-cjk" "$(dpkg-deb -f "$deb" Recommends)"
  snapshot() {
    find /usr /etc /opt /var/lib/dpkg/info /var/lib/dpkg/alternatives -xdev 2> /dev/null | LC_ALL=C sort
  }
  if [ "$(dpkg-query -W -f='${db:Status-Status}' linkstart 2> /dev/null)" = installed ]; then
    echo "FAILED: linkstart is installed on this machine already; dpkg -r linkstart first" >&2
    failures=$((failures + 1))
  elif [ -f "$deb" ]; then
    snapshot > "$scratch/files-before"
    dpkg -i "$deb" > "$scratch/dpkg-i.log" 2>&1 && installed_deb=1
    [ "$installed_deb" = 1 ] || cat "$scratch/dpkg-i.log" >&2
    check "dpkg -i" [ "$installed_deb" = 1 ]
    check "linkstart on PATH is /usr/bin/linkstart" same /usr/bin/linkstart "$(command -v linkstart)"
    start "$scratch/home-deb" linkstart "two words" --exit 7
    check "packaged program from PATH: Run's result 7" [ "$status" = 7 ]
    check "packaged program: log configuration and log under the home" logged "$scratch/home-deb"
    check "man finds the packaged page" same /usr/share/man/man1/linkstart.1 "$(man -w linkstart)"
    dpkg -r linkstart > "$scratch/dpkg-r.log" 2>&1 && installed_deb=0
    check "dpkg -r" [ "$installed_deb" = 0 ]
    snapshot > "$scratch/files-after"
    check "dpkg -r leaves nothing behind" diff "$scratch/files-before" "$scratch/files-after"
  fi
fi

# --- 4. the ZIP in a fresh Wine session -------------------------------------------------------
if [ "$run_wine" = 1 ]; then
  # shellcheck source=wine-session.sh
  source "$root/scripts/wine-session.sh"
  if wine_runs_32bit; then session=win32; else session=win64; fi
  zip=$out/linkstart-$version-$session.zip
  check "ZIP built" [ -f "$zip" ]
  mkdir -p "$scratch/unzipped"
  unzip -q "$zip" -d "$scratch/unzipped"
  folder=$scratch/unzipped/linkstart-$version-$session
  check "ZIP holds the program folder" same "KLinkUI.dll
Korvo.Suite.Shared.manifest
liblog4cxx.dll
linkstart.exe" "$(cd "$folder" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort)"
  wine_session_start "$scratch/wine" "$session"  # a new prefix and home
  mkdir -p "$scratch/cwd"
  (cd "$scratch/cwd" && "$LINKSTART_WINE" "$folder/linkstart.exe" 表示 --exit 7 \
     > "$scratch/wine.out" 2> "$scratch/wine.err" < /dev/null)
  status=$?
  check "Windows program from the ZIP: Run's result 7" [ "$status" = 7 ]
  logs=$HOME/Documents/Korvo/SystemLog
  check "Windows program: log configuration and log under the Wine user's Documents" \
    eval '[ -f "$logs/linkstart.ini" ] && compgen -G "$logs/linkstart/linkstart.1.0.0Log_*.txt" > /dev/null'
fi

checks_summary "install check: "
