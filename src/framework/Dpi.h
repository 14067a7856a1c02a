#pragma once

#include <windows.h>

// Display densities as the system gives them to a program that follows each monitor's density
// (its manifest says so). Where the system has no such calls (before Windows 10), every window
// and monitor has the system's density.

// WM_DPICHANGED, which older headers may lack.
inline constexpr UINT WmDpiChanged = 0x02E0;

// The density of the monitor a window is on.
int WindowDpi(HWND window);
// The density of the monitor a screen point is on.
int DpiAtPoint(POINT screen);
