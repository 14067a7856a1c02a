#include "model/LinkItemModel.h"

#include "foundation/logging/Log.h"
#include "foundation/win32/DataFolder.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <utility>

using Microsoft::WRL::ComPtr;
using Tessel::Common::UniqueIcon;

namespace {

// Loads a shortcut file into a shell link object; both interfaces are released on every path.
HRESULT OpenShellLink(const std::wstring& lnkPath, ComPtr<IShellLinkW>& link) {
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
    if (FAILED(result)) {
        return result;
    }
    ComPtr<IPersistFile> file;
    result = link.As(&file);
    if (FAILED(result)) {
        return result;
    }
    return file->Load(lnkPath.c_str(), STGM_READ);
}

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
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | SHGFI_ICON | (small ? SHGFI_SMALLICON : 0);
    const auto list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(mPath.c_str(), 0, &info, sizeof(info), flags));
    // The record's icon is ours to destroy whether or not it is the one kept.
    UniqueIcon recordIcon(info.hIcon);
    if (list != nullptr) {
        icon.Reset(ImageList_GetIcon(list, info.iIcon, ILD_NORMAL));
    }
    if (!icon) {
        icon = std::move(recordIcon);
    }
    ReadDisplayName();
    return icon.Get();
}

void LinkItemModel::ReadDisplayName() {
    std::wstring name;
    bool isFolder = false;
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(GetTargetIdList(mPath, &list)) && list != nullptr) {
        SHFILEINFOW info{};
        if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof(info),
                           SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES)) {
            name = info.szDisplayName;
            isFolder = (info.dwAttributes & SFGAO_FOLDER) != 0 && (info.dwAttributes & SFGAO_STREAM) == 0;
        }
        CoTaskMemFree(list);
    }
    const std::wstring target = GetTargetPath(mPath);
    mDisplayName = TrimDisplayName(name, target, isFolder || Tessel::Common::DirectoryExists(target));
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
    if (FAILED(OpenShellLink(lnkPath, link))) {
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
    const HRESULT result = OpenShellLink(lnkPath, link);
    if (FAILED(result)) {
        return result;
    }
    return link->GetIDList(list);
}
