// The message box and the active window.
//
// MessageBoxA writes its text, converted to UTF-8, to standard error in every case. When a
// display is available it also shows a modal GTK 3 message dialog (loaded at run time, so a
// machine without a display or without GTK never needs it and never blocks) and returns once
// the dialog is closed.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/posix/api/ui.h"
#endif
