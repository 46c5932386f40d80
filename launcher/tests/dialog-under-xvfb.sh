#!/bin/sh
# Starts the program on a private Xvfb display without its component, waits for the error
# dialog, takes a screenshot, closes the dialog with the Return key and reports the program's
# exit status as "status=N" on standard output.
#   dialog-under-xvfb.sh PROGRAM ARTIFACT_DIR
set -u
program=$1
artifacts=$2
mkdir -p "$artifacts"
scratch=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number to descriptor 5.
Xvfb -displayfd 5 -screen 0 800x600x24 -nolisten tcp 5>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  sleep 0.1
done
[ -s "$scratch/display" ] || { echo "Xvfb did not start"; cat "$scratch/xvfb.log"; exit 2; }
DISPLAY=:$(cat "$scratch/display")
export DISPLAY
unset WAYLAND_DISPLAY

"$program" >"$artifacts/dialog-stdout.txt" 2>"$artifacts/dialog-stderr.txt" &
program_pid=$!

window=
for _ in $(seq 150); do
  window=$(xdotool search --onlyvisible --name '^Error$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no dialog appeared"; exit 3; }
sleep 1  # let it draw
import -window root "$artifacts/error-dialog.png"
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key --clearmodifiers Return

wait "$program_pid"
status=$?
program_pid=
echo "status=$status"
