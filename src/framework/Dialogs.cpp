#include "framework/Dialogs.h"

#include "foundation/win32/SystemFunction.h"

#include <commdlg.h>

#include <cstring>

namespace {

// Opens the clipboard, and closes it when the scope ends.
class ClipboardLock {
public:
    explicit ClipboardLock(HWND owner) {
        for (int attempt = 0; attempt < 50 && !mOpen; ++attempt) {
            mOpen = OpenClipboard(owner) != FALSE;
            if (!mOpen) {
                Sleep(20);
            }
        }
    }
    ~ClipboardLock() {
        if (mOpen) {
            CloseClipboard();
        }
    }
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;
    bool Open() const { return mOpen; }

private:
    bool mOpen = false;
};

} // namespace

bool TColorDialog::Execute(HWND owner) {
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = owner;
    choose.rgbResult = Color;
    choose.lpCustColors = mCustomColors.data();
    choose.Flags = CC_RGBINIT | CC_ANYCOLOR | (FullOpen ? CC_FULLOPEN : 0);
    // The common dialogs are loaded when a colour is first chosen.
    static const auto chooseColor =
        Tessel::Common::SystemFunction<decltype(ChooseColorW)>(L"comdlg32.dll", "ChooseColorW");
    if (chooseColor == nullptr || !chooseColor(&choose)) {
        return false;
    }
    Color = choose.rgbResult;
    return true;
}

bool SetClipboardText(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    if (void* target = GlobalLock(memory)) {
        std::memcpy(target, text.c_str(), bytes);
        GlobalUnlock(memory);
    } else {
        GlobalFree(memory);
        return false;
    }
    ClipboardLock clipboard(owner);
    // The clipboard owns the memory once it took it.
    if (!clipboard.Open() || !EmptyClipboard() || SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

std::wstring GetClipboardText(HWND owner) {
    ClipboardLock clipboard(owner);
    if (!clipboard.Open()) {
        return {};
    }
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) {
        return {};
    }
    const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    if (text == nullptr) {
        return {};
    }
    // Bounded by the block's size, in case the text has no terminator.
    const std::size_t capacity = GlobalSize(data) / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < capacity && text[length] != L'\0') {
        ++length;
    }
    std::wstring result(text, length);
    GlobalUnlock(data);
    return result;
}
