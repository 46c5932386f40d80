// The message box and the active window.
//
// MessageBoxA writes its text, converted to UTF-8, to standard error in every case. When a
// display is available it also shows a modal GTK 3 message dialog (loaded at run time, so a
// machine without a display or without GTK never needs it and never blocks) and returns once
// the dialog is closed.
#pragma once

#include "platform/types.h"

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
