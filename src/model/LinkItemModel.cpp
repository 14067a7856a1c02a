#include "model/LinkItemModel.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/DataFolder.h"
#include "graphics/Graphic.h"
#include "model/IconCacheFile.h"
#include "model/ShellLinkFile.h"

#include <commctrl.h>
#include <commoncontrols.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <utility>

using Microsoft::WRL::ComPtr;
using Tessel::Common::UniqueIcon;

namespace {

void ShellExecute(const wchar_t* verb, const std::wstring& file, const wchar_t* parameters) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.lpVerb = verb;
    info.lpFile = file.c_str();
    info.lpParameters = parameters;
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        LOG_INF("LinkItemModel::ShellExecute", L"The shell refused " << (verb ? verb : L"open") << L" of " << file
                                                                     << L" (error " << GetLastError() << L")");
    }
}

std::wstring ExplorerPath() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    const std::wstring windows = (length > 0 && length < MAX_PATH) ? std::wstring(folder, length) : L"c:\\windows";
    return Tessel::Common::JoinPath(windows, L"explorer.exe");
}

} // namespace

LinkItemModel::LinkItemModel(std::wstring fileName, std::wstring path)
    : mFileName(std::move(fileName)), mPath(std::move(path)) {}

LinkItemModel::~LinkItemModel() = default;

HICON LinkItemModel::GetLargeIcon() {
    return GetIcon(false);
}

HICON LinkItemModel::GetSmallIcon() {
    return GetIcon(true);
}

HICON LinkItemModel::GetIcon(bool small) {
    UniqueIcon& icon = small ? mSmallIcon : mLargeIcon;
    if (icon) {
        return icon.Get();
    }
    icon = LoadShortcutIcon(mPath, small);
    ReadDisplayName();
    return icon.Get();
}

namespace {

// The first icon of the size in a file that carries icons (a program, a library, an icon file):
// of exactly size pixels when size is given (the file's nearest image, drawn at that size), else
// the system's large or small icon.
UniqueIcon ExtractIconOfSize(const std::wstring& file, int index, bool small, int size) {
    wchar_t expanded[MAX_PATH] = {};
    const DWORD length = ExpandEnvironmentStringsW(file.c_str(), expanded, MAX_PATH);
    if (length == 0 || length > MAX_PATH) {
        return UniqueIcon();
    }
    if (size > 0) {
        HICON icon = nullptr;
        if (SHDefExtractIconW(expanded, index, 0, &icon, nullptr, static_cast<UINT>(size)) == S_OK && icon != nullptr) {
            return UniqueIcon(icon);
        }
        return UniqueIcon();
    }
    HICON large = nullptr;
    HICON smallIcon = nullptr;
    if (ExtractIconExW(expanded, index, small ? nullptr : &large, small ? &smallIcon : nullptr, 1) == 0) {
        return UniqueIcon();
    }
    return UniqueIcon(small ? smallIcon : large);
}

// The system image list whose icons are the smallest of at least size pixels (the largest
// there is for sizes beyond), or null.
HIMAGELIST SystemImageListFor(int size) {
    int which = SHIL_SMALL;
    if (size > GetSystemMetrics(SM_CXSMICON)) {
        which = size > GetSystemMetrics(SM_CXICON) ? SHIL_EXTRALARGE : SHIL_LARGE;
    }
    IImageList* list = nullptr;
    if (FAILED(SHGetImageList(which, __uuidof(IImageList), reinterpret_cast<void**>(&list)))) {
        return nullptr;
    }
    // The system's lists live as long as the process; the interface is the list itself.
    return reinterpret_cast<HIMAGELIST>(list);
}

// The shell's icon of a path or an item ID list, without the shortcut arrow: from the system's
// list nearest size when size is given, else its large or small icon.
UniqueIcon ShellIcon(LPCWSTR pathOrList, UINT extraFlags, bool small, int size = 0) {
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | SHGFI_ICON | (small ? SHGFI_SMALLICON : 0) | extraFlags;
    auto list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(pathOrList, 0, &info, sizeof(info), flags));
    // The record's icon is ours to destroy whether or not it is the one kept.
    UniqueIcon recordIcon(info.hIcon);
    UniqueIcon result;
    if (list != nullptr && size > 0) {
        if (const HIMAGELIST sized = SystemImageListFor(size)) {
            list = sized;
        }
    }
    if (list != nullptr) {
        result.Reset(ImageList_GetIcon(list, info.iIcon, ILD_NORMAL));
    }
    return result ? std::move(result) : std::move(recordIcon);
}

} // namespace

UniqueIcon LinkItemModel::LoadShortcutIcon(const std::wstring& lnkPath, bool small, int size) {
    ComPtr<IShellLinkW> link;
    if (FAILED(ShellLinkFile::Open(lnkPath, link))) {
        return ShellIcon(lnkPath.c_str(), 0, small, size);
    }
    // The icon the shortcut names for itself, if it names one.
    wchar_t location[MAX_PATH] = {};
    int index = 0;
    if (SUCCEEDED(link->GetIconLocation(location, MAX_PATH, &index)) && location[0] != L'\0') {
        if (UniqueIcon icon = ExtractIconOfSize(location, index, small, size)) {
            return icon;
        }
    }
    // Else its target's: a program's own first icon, or the shell's icon of a document, a folder
    // or a virtual item.
    wchar_t target[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, SLGP_UNCPRIORITY) == S_OK && target[0] != L'\0') {
        if (UniqueIcon icon = ExtractIconOfSize(target, 0, small, size)) {
            return icon;
        }
        if (UniqueIcon icon = ShellIcon(target, 0, small, size)) {
            return icon;
        }
    }
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(link->GetIDList(&list)) && list != nullptr) {
        UniqueIcon icon = ShellIcon(reinterpret_cast<LPCWSTR>(list), SHGFI_PIDL, small, size);
        CoTaskMemFree(list);
        if (icon) {
            return icon;
        }
    }
    return ShellIcon(lnkPath.c_str(), 0, small, size);
}

void LinkItemModel::SetLook(IconAtlas::Ref large, IconAtlas::Ref small, std::wstring displayName, FileStamp stamp) {
    mLargeRef = std::move(large);
    mSmallRef = std::move(small);
    mDisplayName = std::move(displayName);
    mLookStamp = stamp;
    mHasLook = true;
}

LinkItemModel::Look LinkItemModel::LookUp(const std::wstring& lnkPath, int largeSize, int smallSize) {
    Look look;
    // The cells and the icon cache hold icons of exactly these sizes.
    for (const bool small : {false, true}) {
        const int size = small ? smallSize : largeSize;
        const UniqueIcon icon = LoadShortcutIcon(lnkPath, small, size);
        (small ? look.small : look.large) = IconPixels(icon.Get(), size, size);
    }
    look.displayName = DisplayNameOf(lnkPath);
    return look;
}

std::wstring LinkItemModel::FileStem() const {
    const std::size_t dot = mFileName.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? mFileName : mFileName.substr(0, dot);
}

std::wstring LinkItemModel::ShownName() const {
    return HasLook() && !mDisplayName.empty() ? mDisplayName : FileStem();
}

std::wstring LinkItemModel::LookKey(const std::wstring& lnkPath) {
    ComPtr<IShellLinkW> link;
    if (FAILED(ShellLinkFile::Open(lnkPath, link))) {
        return {};
    }
    wchar_t target[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, SLGP_UNCPRIORITY) != S_OK || target[0] == L'\0') {
        return {};
    }
    wchar_t location[MAX_PATH] = {};
    int index = 0;
    if (FAILED(link->GetIconLocation(location, MAX_PATH, &index))) {
        return {};
    }
    return std::wstring(location) + L'\n' + std::to_wstring(index) + L'\n' + target;
}

void LinkItemModel::ReadDisplayName() {
    mDisplayName = DisplayNameOf(mPath);
}

std::wstring LinkItemModel::DisplayNameOf(const std::wstring& lnkPath) {
    std::wstring name;
    bool isFolder = false;
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(GetTargetIdList(lnkPath, &list)) && list != nullptr) {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof(info),
                           SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES)) {
            name = info.szDisplayName;
            isFolder = (info.dwAttributes & SFGAO_FOLDER) != 0 && (info.dwAttributes & SFGAO_STREAM) == 0;
        }
        CoTaskMemFree(list);
    }
    const std::wstring target = GetTargetPath(lnkPath);
    if (name.empty() && target.empty()) {
        return InternetShortcutName(lnkPath);
    }
    return TrimDisplayName(name, target, isFolder || Tessel::Common::DirectoryExists(target));
}

std::wstring LinkItemModel::InternetShortcutName(const std::wstring& path) {
    // Its file has a generated name, so the site it opens is the best name there is.
    constexpr DWORD MaxUrlLength = 4096;
    std::wstring url(MaxUrlLength, L'\0');
    url.resize(GetPrivateProfileStringW(L"InternetShortcut", L"URL", L"", url.data(), MaxUrlLength, path.c_str()));
    const std::size_t scheme = url.find(L"://");
    if (scheme == std::wstring::npos) {
        return url;
    }
    std::wstring host = url.substr(scheme + 3, url.find_first_of(L"/?#", scheme + 3) - (scheme + 3));
    if (const std::size_t at = host.rfind(L'@'); at != std::wstring::npos) {
        host.erase(0, at + 1);
    }
    if (host.size() > 4 && CompareStringOrdinal(host.c_str(), 4, L"www.", 4, TRUE) == CSTR_EQUAL) {
        host.erase(0, 4);
    }
    return host.empty() ? url : host;
}

std::wstring LinkItemModel::TrimDisplayName(const std::wstring& shellName, const std::wstring& targetPath,
                                            bool targetIsFolder) {
    if (targetIsFolder) {
        return shellName;
    }
    const std::size_t dot = targetPath.rfind(L'.');
    const std::size_t separator = targetPath.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) {
        return shellName;
    }
    const std::size_t extensionLength = targetPath.size() - dot;
    if (shellName.size() <= extensionLength) {
        return shellName;
    }
    const std::size_t cut = shellName.size() - extensionLength;
    if (CompareStringOrdinal(shellName.c_str() + cut, static_cast<int>(extensionLength), targetPath.c_str() + dot,
                             static_cast<int>(extensionLength), TRUE) != CSTR_EQUAL) {
        return shellName;
    }
    return shellName.substr(0, cut);
}

void LinkItemModel::Run() const {
    ShellExecute(nullptr, mPath, nullptr);
}

void LinkItemModel::OpenProperties() const {
    ShellExecute(L"properties", mPath, nullptr);
}

void LinkItemModel::OpenFileLocation() const {
    const std::wstring parameters = FileLocationParameters(GetTargetPath(mPath));
    ShellExecute(nullptr, ExplorerPath(), parameters.c_str());
}

std::wstring LinkItemModel::FileLocationParameters(const std::wstring& target) {
    // Explorer splits its arguments at commas, so a path holding one must be quoted.
    if (target.find(L',') != std::wstring::npos) {
        return L"/n,/select,\"" + target + L"\"";
    }
    return L"/n,/select," + target;
}

bool LinkItemModel::TargetExists() const {
    return Tessel::Common::PathExists(GetTargetPath(mPath));
}

std::wstring LinkItemModel::GetTargetPath(const std::wstring& lnkPath) {
    ComPtr<IShellLinkW> link;
    if (FAILED(ShellLinkFile::Open(lnkPath, link))) {
        return {};
    }
    wchar_t buffer[MAX_PATH] = {};
    WIN32_FIND_DATAW findData{};
    if (link->GetPath(buffer, MAX_PATH, &findData, SLGP_UNCPRIORITY) != S_OK) {
        return {};
    }
    return buffer;
}

HRESULT LinkItemModel::GetTargetIdList(const std::wstring& lnkPath, PIDLIST_ABSOLUTE* list) {
    *list = nullptr;
    ComPtr<IShellLinkW> link;
    const HRESULT result = ShellLinkFile::Open(lnkPath, link);
    if (FAILED(result)) {
        return result;
    }
    return link->GetIDList(list);
}
