# Source me (bash): a private 32-bit Wine session for the Windows build's tests and programs.
#
#   source scripts/wine-session.sh
#   wine_session_start DIR [win32|win64]   # prefix, home, temporary folder and locale under DIR
#   ... "$LINKSTART_WINE" prog.exe / ctest ...
#   wine_session_stop                       # ends the session's wineserver and its processes
#
# win32 (the program's target) needs a kernel that runs 32-bit code: wine_runs_32bit tells.
# Where it cannot (no IA-32 emulation, "Exec format error"), a win64 session runs the x86-64
# build with Wine's 64-bit loader. LINKSTART_WINE names the loader the session uses.
#
# Nothing is written to the real home folder: Wine links the prefix's Documents folder to
# $HOME, and its menu builder would write under ~/.local, so both stay inside DIR.
# GetACP() follows the Unix locale: ja_JP.UTF-8, compiled into a private LOCPATH, gives code
# page 932. (LC_ALL alone gives 932 too, but then non-ASCII ANSI file names fail.)

# True when this machine can run Wine's 32-bit loader (and so 32-bit Windows programs).
wine_runs_32bit() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version > /dev/null 2>&1
}

wine_session_start() {
  local state=${1:?wine_session_start needs a folder}
  local arch=${2:-win32}
  mkdir -p "$state"
  state=$(cd "$state" && pwd)
  export WINE_SESSION=$state
  export WINEARCH=$arch WINEPREFIX=$state/prefix-$arch WINEDEBUG=-all
  if [ "$arch" = win32 ]; then
    export LINKSTART_WINE=/usr/lib/wine/wine
  else
    export LINKSTART_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
  fi
  # No menu entries, no Mono or Gecko installer prompts.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  export HOME=$state/home TMPDIR=$state/tmp
  mkdir -p "$HOME/Documents" "$TMPDIR" "$state/locale"
  if [ ! -d "$state/locale/ja_JP.UTF-8" ]; then
    localedef -i ja_JP -f UTF-8 "$state/locale/ja_JP.UTF-8" || true
  fi
  export LOCPATH=$state/locale
  { export LANG=ja_JP.UTF-8; } 2> /dev/null  # bash itself cannot load it: no warning
  unset LC_ALL LC_CTYPE XDG_CONFIG_HOME XDG_DATA_HOME
  # A zone both the Windows C runtime and Wine read the same way (see DESIGN section 12).
  unset TZ
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$LINKSTART_WINE" wineboot -i > /dev/null 2>&1 && wineserver -w
    # Japanese text in message boxes: the dialog fonts need a CJK face (fonts-noto-cjk).
    local face
    for face in Tahoma 'MS UI Gothic' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
      "$LINKSTART_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
        /d 'Noto Sans CJK JP' /f > /dev/null 2>&1
    done
    wineserver -w
  fi
  # One persistent server for the whole session, warmed by one call whose output is detached:
  # otherwise every test pays the server's start, and the first one can keep CTest's output
  # pipe open through the helper processes it starts.
  wineserver -p < /dev/null > /dev/null 2>&1
  "$LINKSTART_WINE" cmd /c exit < /dev/null > /dev/null 2>&1
}

wine_session_stop() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wineserver -k 2> /dev/null || true
  wineserver -w 2> /dev/null || true
}
