#!/usr/bin/env bash
# The Windows program end to end under Wine, as a user starts it: a copy named Sample.exe with
# the stand-in component, the log4cxx DLL and the shared-assembly manifest beside it, started from
# another folder, in the Wine session of scripts/wine-session.sh (LINKSTART_WINE, HOME,
# WINEPREFIX set). Checks the exit statuses, what Run received, the log configuration written to
# the Wine user's Documents folder byte for byte, the dated log file, and the override file.
#   wine-end-to-end.sh PROGRAM_FOLDER
set -uo pipefail
folder=$1
wine=${LINKSTART_WINE:?run inside the Wine session of scripts/wine-session.sh}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/linkstart-e2e-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
source "$(dirname "$0")/../../scripts/checks.sh"

app=$scratch/app
mkdir -p "$app" "$scratch/elsewhere"
cp "$folder/linkstart.exe" "$app/Sample.exe"
cp "$folder"/*.dll "$folder"/*.manifest "$app/"
# Documents of the Wine user: C:\users\<user>\Documents, a link to $HOME/Documents.
logs=$HOME/Documents/Korvo/SystemLog
rm -rf "$HOME/Documents/Korvo"

run() {  # run OUTPUT ARGUMENT...: starts Sample.exe from another folder; sets $status
  local output=$1
  shift
  (cd "$scratch/elsewhere" && "$wine" "$app/Sample.exe" "$@" > "$output.raw" 2> "$output.err" < /dev/null)
  status=$?
  # The stand-in writes through the runtime's text-mode stdout: CR LF line ends.
  tr -d '\r' < "$output.raw" > "$output"
}

# --- Run's result is the exit status; the whole command line reaches Run as UTF-16 --------
today_before=$(date +%Y%m%d)
run "$scratch/out7" 表示 "two words" --exit 7
today_after=$(date +%Y%m%d)
check "exit status 7" [ "$status" = 7 ]
windows_app=$("$wine" winepath -w "$app/Sample.exe" 2> /dev/null | tr -d '\r')
expected_line="AppRun command line: \"$windows_app\" 表示 \"two words\" --exit 7"
check "command line, program path first, Japanese through code page 932" \
  grep -qxF "$expected_line" "$scratch/out7"
check "show command 10" grep -qxF "AppRun show command: 10" "$scratch/out7"

run "$scratch/out-3" --exit -3
check "exit status -3 (253)" [ "$status" = 253 ]

# --- Sample.ini byte for byte, and the dated log file with the stand-in's line ------------
# The log folder as the program names it: the Documents folder that SHGetFolderPathA gives,
# C:\users\<user>\Documents.
profile=$("$wine" cmd /c echo %USERPROFILE% 2> /dev/null | tr -d '\r\n')
windows_logs="$profile\\Documents\\Korvo\\SystemLog"
doubled=${windows_logs//\\/\\\\}
for day in "$today_before" "$today_after"; do
  printf '%s\r\n' \
    "log4j.rootLogger = Info, kAppender" \
    "log4j.appender.kAppender = org.apache.log4j.RollingFileAppender" \
    "log4j.appender.kAppender.MaxFileSize = 5MB" \
    "log4j.appender.kAppender.MaxBackupIndex = 1" \
    "log4j.appender.kAppender.File = $doubled\\\\Sample\\\\Sample.1.0.0Log_$day.txt" \
    "log4j.appender.kAppender.layout = org.apache.log4j.PatternLayout" \
    "log4j.appender.kAppender.layout.ConversionPattern = %d{yyyy-MM-dd HH:mm:ss} [%5p] %l %M - %m%n" \
    > "$scratch/expected-$day.ini"
done
check "Sample.ini byte for byte" eval \
  'cmp -s "$logs/Sample.ini" "$scratch/expected-$today_before.ini" ||
   cmp -s "$logs/Sample.ini" "$scratch/expected-$today_after.ini"'
log=$(ls "$logs"/Sample/Sample.1.0.0Log_*.txt 2> /dev/null | head -n 1)
check "dated log file" [ -n "$log" ]
check "the stand-in's Info line in the log file" grep -q '\[ INFO\] .* - AppRun started' "${log:-/dev/null}"
check "no Debug line at level Info" eval '! grep -q "AppRun show command" "${log:-/dev/null}"'

# --- the override file wins and stays untouched ---------------------------------------------
override_log=$scratch/override.log
windows_override_log=$("$wine" winepath -w "$override_log" 2> /dev/null | tr -d '\r')
printf 'log4j.rootLogger = Debug, A\r\nlog4j.appender.A = org.apache.log4j.FileAppender\r\nlog4j.appender.A.File = %s\r\nlog4j.appender.A.layout = org.apache.log4j.PatternLayout\r\nlog4j.appender.A.layout.ConversionPattern = %%p %%m%%n\r\n' \
  "${windows_override_log//\\/\\\\}" > "$logs/KDefault.ini"
cp "$logs/KDefault.ini" "$scratch/KDefault.copy"
rm -f "$logs/Sample.ini"
run "$scratch/out-override" --exit 0
check "override run exits 0" [ "$status" = 0 ]
check "override file untouched" cmp -s "$logs/KDefault.ini" "$scratch/KDefault.copy"
check "no configuration written beside the override" [ ! -e "$logs/Sample.ini" ]
check "the override's log gets the Debug line" grep -q "DEBUG AppRun show command 10" "$override_log"
rm -f "$logs/KDefault.ini"

# --- a missing component, or one in the current folder only: the box and -1 ------------------
mv "$app/KLinkUI.dll" "$scratch/elsewhere/KLinkUI.dll"
run "$scratch/out-missing"
check "component only in the current folder: exit -1 (255)" [ "$status" = 255 ]
check "component only in the current folder: Run not called" eval '! grep -q AppRun "$scratch/out-missing"'
rm -f "$scratch/elsewhere/KLinkUI.dll"
# A file that is not a DLL under the component's name: Wine refuses it as Windows does.
echo "not a DLL" > "$app/KLinkUI.dll"
run "$scratch/out-broken"
check "broken component: exit -1 (255)" [ "$status" = 255 ]
cp "$folder/KLinkUI.dll" "$app/"
# Without the shared assembly's manifest the whole activation context is refused.
rm "$app/Korvo.Suite.Shared.manifest"
run "$scratch/out-noshared" --exit 7
check "shared assembly missing: exit -1 (255)" [ "$status" = 255 ]

checks_summary
