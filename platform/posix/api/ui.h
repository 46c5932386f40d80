// The message box and the active window.
//
// MessageBoxA writes its text, converted to UTF-8, to standard error in every case. When a
// display is available it also shows a modal GTK 3 message dialog (loaded at run time, so a
// machine without a display or without GTK never needs it and never blocks) and returns once
// the dialog is closed.
//
// The POSIX backend's own declarations of these names; on Windows platform/ui.h
// includes the system's headers instead.
#pragma once

#include "platform/posix/api/types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr int IDOK = 1;

// Shows `text` (code page 932) with `caption` (code page 932; the default caption "Error" when
// null) and the icon of `type`; an OK button only. `owner` is accepted and unused: there are no
// windows here. Returns IDOK.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// The calling thread's active window: none here.
HWND GetActiveWindow();

// The show command the runtime hands to WinMain when the starter gave none.
constexpr int SW_SHOWDEFAULT = 10;
