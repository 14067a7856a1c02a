#pragma once

#include <windows.h>

#include <string>

// Shows a text in a modal box with a single OK button whose top-left corner sits at the screen
// point (x, y), and waits until it is closed. The box bears the application's title.
void ShowMessagePos(const std::wstring& text, int x, int y);
