// Default options of the address and leak sanitizers, for sanitizer builds only: the build
// links this file into every program, test and component when LINKSTART_SANITIZE is on. The
// reports silenced here come from system libraries, never from the project's code.

// log4cxx 1.0.0 deletes the private part of its FixedWindowRollingPolicy (made for the rolling
// file appender of the generated configuration) through a type of another size: a sized-delete
// mismatch inside the library, harmless to its allocator. AddressSanitizer has no suppression
// for this kind of report, so without this option every program that used the generated
// configuration would abort when the library tears down at exit.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

// GTK, GLib and the libraries under them keep process-lifetime allocations that the leak
// checker would report at exit once the error dialog was shown.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgtk-3.so\nleak:libgdk-3.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n"
         "leak:libgio-2.0.so\nleak:libfontconfig.so\nleak:libpango\nleak:libcairo.so\n"
         "leak:libharfbuzz.so\nleak:libX11.so\nleak:libxcb\nleak:libatk\nleak:libatspi.so\n"
         "leak:libdbus-1.so\nleak:libgdk_pixbuf\nleak:libgmodule-2.0.so\nleak:libepoxy.so\n"
         "leak:libfreetype.so\nleak:libpixman-1.so\nleak:librsvg-2.so\nleak:libxkbcommon.so\n";
}

// The error box's text is the program's only output on standard error; keep the checker's
// statistics of suppressed leaks out of it.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
