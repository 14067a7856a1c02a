#include "foundation/win32/IniFile.h"

#include "foundation/lang/Exception.h"
#include "foundation/logging/Log.h"
#include "foundation/text/TextEncoding.h"
#include "foundation/win32/AtomicFile.h"
#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

namespace Tessel::Common {

namespace {

std::wstring DecodeAnsi(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    }
    return text;
}

} // namespace

IniFile::IniFile(std::wstring path) : mPath(std::move(path)) {}

bool IniFile::Load() {
    mDocument = IniDocument();
    mBytesRead = 0;
    DWORD error = ERROR_SUCCESS;
    const UniqueFileHandle file = OpenFileForReading(mPath, error);
    if (!file) {
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return true;
        }
        LOG_ERR("IniFile::Load", L"Cannot open " << mPath << L" (error " << error << L")");
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) {
        LOG_ERR("IniFile::Load", L"Cannot read the size of " << mPath << L" (error " << GetLastError() << L")");
        return false;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > MaxFileSize) {
        LOG_ERR("IniFile::Load", L"Not read: " << mPath << L" holds " << size.QuadPart << L" bytes");
        return false;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read, nullptr)) {
            LOG_ERR("IniFile::Load", L"Cannot read " << mPath << L" (error " << GetLastError() << L")");
            return false;
        }
        if (read == 0) {
            break;
        }
        filled += read;
    }
    bytes.resize(filled);
    mBytesRead = filled;
    mDocument = IniDocument::ParseOwned(Decode(bytes));
    return true;
}

void IniFile::Save() const {
    if (!ReplaceFileAtomically(mPath, Encode(mDocument.ToText()))) {
        throw Exception(L"Unable to write to " + mPath);
    }
}

bool IniFile::IsSavedAsIs() const {
    return FileHoldsBytes(mPath, Encode(mDocument.ToText()));
}

std::string IniFile::Encode(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const UINT codePage = GetACP();
    // UTF-8 as the ANSI code page holds every character; the other code pages report a loss.
    BOOL lost = FALSE;
    BOOL* lostFlag = codePage == CP_UTF8 ? nullptr : &lost;
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length =
        WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, lostFlag);
    if (length > 0 && !lost) {
        std::string bytes(static_cast<std::size_t>(length), '\0');
        WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                            nullptr);
        return bytes;
    }
    return EncodeUtf16LE(text);
}

std::wstring IniFile::Decode(std::string_view bytes) {
    return DecodeText(bytes, DecodeAnsi);
}

} // namespace Tessel::Common
