#pragma once

#include <windows.h>

#include <string>

// Shows a text in a box with a single OK button whose top-left corner sits at the screen point
// (x, y), and waits until it is closed; the program's windows take no input meanwhile. The box
// bears the application's title.
void ShowMessagePos(const std::wstring& text, int x, int y);
