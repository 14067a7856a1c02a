#pragma once

#include "foundation/win32/UniqueHandle.h"
#include "framework/Window.h"

#include <windows.h>

#include <string>

// The small window that shows a hint near the pointer: a topmost tool window that never takes
// the activation nor the mouse. It sizes itself to its text in the system's tooltip font and
// stays on the work area of the monitor it is shown on. The application holds one
// (TApplication::HintWindow) for every form.
class THintWindow : public TWindow {
public:
    // The window belongs to owner (the application's hidden window), which keeps it out of the
    // taskbar; null: it belongs to no window.
    explicit THintWindow(HWND owner = nullptr) : mOwner(owner) {}
    ~THintWindow() override;

    // Shows text with the window's top-left corner at a screen point, moved as little as needed
    // to stay on that monitor's work area. Showing the same text at the same place again does
    // nothing. An empty text hides the window.
    void ActivateHint(const std::wstring& text, POINT screenPoint);
    void HideHint();
    bool Visible() const;
    // The text shown last.
    const std::wstring& Text() const { return mText; }

    // Room between the border and the text.
    static constexpr int PaddingX = 6;
    static constexpr int PaddingY = 3;
    // A text wider than this is wrapped onto more lines.
    static constexpr int MaxTextWidth = 480;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateIfNeeded();
    HFONT Font();
    SIZE WindowSizeFor(const std::wstring& text);
    void Paint(HDC dc);

    HWND mOwner = nullptr;
    std::wstring mText;
    RECT mShownBounds{0, 0, 0, 0};
    Tessel::Common::UniqueFont mFont;
};
