#!/usr/bin/env bash
# The Windows program's error box under Wine on a private Xvfb display: the program without its
# component shows the box with the Japanese message; the script waits for it, takes a
# screenshot, closes it with the Return key and checks the exit status -1 (255). Runs in the
# Wine session of scripts/wine-session.sh.
#   wine-dialog-under-xvfb.sh PROGRAM_FOLDER ARTIFACT_DIR
set -uo pipefail
folder=$1
artifacts=$2
wine=${LINKSTART_WINE:?run inside the Wine session of scripts/wine-session.sh}
mkdir -p "$artifacts"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/linkstart-dialog-XXXXXX")
xvfb_pid= program_pid=
# Wine's desktop process belongs to the session's server and was started without a display:
# the box needs a server (and desktop) started on the Xvfb display, and the headless one back
# afterwards for the other tests (this test runs alone).
restart_server() {
  wineserver -k 2> /dev/null
  wineserver -w 2> /dev/null
}
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2> /dev/null
  restart_server
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
  rm -rf "$scratch"
  unset DISPLAY
  wineserver -p < /dev/null > /dev/null 2>&1
  "$wine" cmd /c exit < /dev/null > /dev/null 2>&1
}
trap cleanup EXIT

mkdir -p "$scratch/app"
cp "$folder/linkstart.exe" "$scratch/app/Sample.exe"
# Everything but the component: activation fails and the box is shown.
cp "$folder"/*.manifest "$folder"/*.dll "$scratch/app/"
rm "$scratch/app/KLinkUI.dll"

Xvfb -displayfd 5 -screen 0 800x600x24 -nolisten tcp 5> "$scratch/display" 2> "$scratch/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  sleep 0.1
done
[ -s "$scratch/display" ] || { echo "Xvfb did not start"; exit 2; }
export DISPLAY=:$(cat "$scratch/display")
restart_server

"$wine" "$scratch/app/Sample.exe" > "$artifacts/wine-dialog-stdout.txt" 2>&1 < /dev/null &
program_pid=$!
window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Error$|^エラー$' 2> /dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || {
  echo "no box appeared; windows:"
  xdotool search --onlyvisible --name . getwindowname %@ 2> /dev/null
  import -window root "$artifacts/wine-no-box.png"
  exit 3
}
sleep 1  # let it draw
import -window root "$artifacts/wine-error-box.png"
xdotool windowactivate --sync "$window" 2> /dev/null
xdotool key --window "$window" --clearmodifiers Return
wait "$program_pid"
status=$?
program_pid=
echo "status=$status"
[ "$status" = 255 ]
