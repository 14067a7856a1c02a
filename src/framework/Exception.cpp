#include "framework/Exception.h"

#include <windows.h>

namespace {

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                            nullptr);
    }
    return out;
}

} // namespace

Exception::Exception(std::wstring message) : mMessage(std::move(message)), mUtf8(ToUtf8(mMessage)) {}

std::wstring WidenMessage(const char* text) {
    if (text == nullptr || *text == '\0') {
        return {};
    }
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (size <= 1) {
        // Not UTF-8: keep the bytes as Latin-1 rather than losing the message.
        std::wstring out;
        for (const char* p = text; *p; ++p) {
            out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
        }
        return out;
    }
    std::wstring out(size - 1, L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, out.data(), size);
    return out;
}
