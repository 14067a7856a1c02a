#include "model/ShortcutFactory.h"

#include "foundation/shell/ShellDropData.h"
#include "model/ShellLinkFile.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdint>
#include <span>
#include <vector>

namespace ShellData = Tessel::Common::Shell;

namespace {

// Enough names to try every temporary name a folder can have.
constexpr int MaxNameAttempts = 0x10000;

std::wstring ErrorText(const wchar_t* what, HRESULT result) {
    wchar_t code[16] = {};
    swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(result));
    return std::wstring(what) + L" (" + code + L")";
}

// A storage medium from a data object, released on every path.
struct Medium {
    STGMEDIUM medium{};
    bool held = false;
    ~Medium() {
        if (held) {
            ReleaseStgMedium(&medium);
        }
    }
    HRESULT Get(IDataObject* data, CLIPFORMAT format) {
        FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        const HRESULT result = data->GetData(&request, &medium);
        held = SUCCEEDED(result);
        if (held && (medium.tymed != TYMED_HGLOBAL || medium.hGlobal == nullptr)) {
            return DV_E_TYMED;
        }
        return result;
    }
};

// The bytes of a global memory block, locked while this lives.
class LockedBytes {
public:
    explicit LockedBytes(HGLOBAL memory)
        : mMemory(memory), mData(static_cast<const std::uint8_t*>(GlobalLock(memory))),
          mSize(mData != nullptr ? GlobalSize(memory) : 0) {}
    ~LockedBytes() {
        if (mData != nullptr) {
            GlobalUnlock(mMemory);
        }
    }
    LockedBytes(const LockedBytes&) = delete;
    LockedBytes& operator=(const LockedBytes&) = delete;
    bool Locked() const { return mData != nullptr; }
    std::span<const std::uint8_t> Bytes() const { return {mData, mSize}; }

private:
    HGLOBAL mMemory;
    const std::uint8_t* mData;
    std::size_t mSize;
};

// The first file of a CF_HDROP block, or empty with the reason.
std::wstring FirstDroppedFile(HGLOBAL memory, std::wstring& problem) {
    {
        LockedBytes bytes(memory);
        if (!bytes.Locked()) {
            problem = L"the file list could not be read";
            return L"";
        }
        const std::wstring error = ShellData::CheckDropFiles(bytes.Bytes());
        if (!error.empty()) {
            problem = L"the file list was refused: " + error;
            return L"";
        }
    }
    const auto drop = static_cast<HDROP>(memory);
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 0) {
        problem = L"the file list is empty";
        return L"";
    }
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
    if (path.empty()) {
        problem = L"the first file has no name";
    }
    return path;
}

// How the shell names an item ID list, for the log.
std::wstring NameOfIdList(PCIDLIST_ABSOLUTE list) {
    PWSTR name = nullptr;
    if (SUCCEEDED(SHGetNameFromIDList(list, SIGDN_DESKTOPABSOLUTEPARSING, &name)) && name != nullptr) {
        std::wstring result(name);
        CoTaskMemFree(name);
        return result;
    }
    return L"an item of the shell";
}

} // namespace

std::wstring ShortcutFactory::MakeTempFile(const std::wstring& folder) {
    wchar_t buffer[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"zzz", 0, buffer) == 0) {
        return L"";
    }
    return buffer;
}

std::wstring ShortcutFactory::NewShortcutPath(const std::wstring& folder, std::wstring& problem,
                                              const TempFileMaker& makeTemp) {
    return NewFilePath(folder, L".lnk", problem, makeTemp);
}

std::wstring ShortcutFactory::NewFilePath(const std::wstring& folder, const std::wstring& extension,
                                          std::wstring& problem, const TempFileMaker& makeTemp) {
    std::vector<std::wstring> temporaries;
    std::wstring result;
    problem.clear();
    for (int attempt = 0; attempt < MaxNameAttempts && result.empty() && problem.empty(); ++attempt) {
        // Each temporary file stays until the end, so the next name drawn is another one.
        const std::wstring temporary = makeTemp(folder);
        if (temporary.size() < 4) {
            problem = L"The system gave no temporary file name in " + folder + L" (error " +
                      std::to_wstring(GetLastError()) + L")";
            break;
        }
        temporaries.push_back(temporary);
        const std::wstring lnk = temporary.substr(0, temporary.size() - 4) + extension;
        const HANDLE file =
            CreateFileW(lnk.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            result = lnk;
        } else if (const DWORD error = GetLastError(); error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            problem = L"The shortcut file " + lnk + L" could not be created (error " + std::to_wstring(error) + L")";
        }
    }
    for (const std::wstring& temporary : temporaries) {
        DeleteFileW(temporary.c_str());
    }
    if (result.empty() && problem.empty()) {
        problem = L"Every shortcut file name in " + folder + L" is taken";
    }
    return result;
}

HRESULT ShortcutFactory::CreateShortcutToPath(const std::wstring& lnkPath, const std::wstring& targetPath) {
    // A shortcut without its target would be an entry that can never run.
    return ShellLinkFile::Save(lnkPath, [&](IShellLinkW& link) { return link.SetPath(targetPath.c_str()); });
}

HRESULT ShortcutFactory::CreateShortcutToIdList(const std::wstring& lnkPath, PCIDLIST_ABSOLUTE idList) {
    return ShellLinkFile::Save(lnkPath, [&](IShellLinkW& link) { return link.SetIDList(idList); });
}

bool ShortcutFactory::CreateShortcutFromDataObject(IDataObject* data, const std::wstring& lnkPath,
                                                   std::wstring& outcome) {
    if (data == nullptr) {
        outcome = L"nothing was dropped";
        return false;
    }
    std::wstring why;
    {
        Medium files;
        const HRESULT got = files.Get(data, CF_HDROP);
        if (SUCCEEDED(got)) {
            const std::wstring path = FirstDroppedFile(files.medium.hGlobal, why);
            if (!path.empty()) {
                const HRESULT written = CreateShortcutToPath(lnkPath, path);
                if (SUCCEEDED(written)) {
                    outcome = path;
                    return true;
                }
                why = ErrorText((L"the shell wrote no shortcut to " + path).c_str(), written);
            }
        } else {
            why = ErrorText(L"no files", got);
        }
    }

    static const CLIPFORMAT idListFormat = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST));
    Medium items;
    const HRESULT got = items.Get(data, idListFormat);
    if (FAILED(got)) {
        outcome = why + L"; " + ErrorText(L"no shell items", got);
        return false;
    }
    ShellData::IdListArrayItem first;
    {
        LockedBytes bytes(items.medium.hGlobal);
        if (!bytes.Locked()) {
            outcome = why + L"; the shell items could not be read";
            return false;
        }
        first = ShellData::FirstItemOfIdListArray(bytes.Bytes());
    }
    if (!first.Ok()) {
        outcome = why + L"; the shell items were refused: " + first.error;
        return false;
    }
    const auto list = reinterpret_cast<PCIDLIST_ABSOLUTE>(first.idList.data());
    const HRESULT written = CreateShortcutToIdList(lnkPath, list);
    if (FAILED(written)) {
        outcome = why + L"; " + ErrorText(L"the shell wrote no shortcut to the first shell item", written);
        return false;
    }
    outcome = NameOfIdList(list);
    return true;
}
