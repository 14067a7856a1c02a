#include "model/ShellLinkFile.h"

using Microsoft::WRL::ComPtr;

namespace ShellLinkFile {

HRESULT Create(ComPtr<IShellLinkW>& link) {
    return CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
}

HRESULT Open(const std::wstring& lnkPath, ComPtr<IShellLinkW>& link) {
    HRESULT result = Create(link);
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

HRESULT Save(const std::wstring& lnkPath, const std::function<HRESULT(IShellLinkW& link)>& describe) {
    ComPtr<IShellLinkW> link;
    HRESULT result = Create(link);
    if (FAILED(result)) {
        return result;
    }
    result = describe(*link.Get());
    if (FAILED(result)) {
        return result;
    }
    ComPtr<IPersistFile> file;
    result = link.As(&file);
    if (FAILED(result)) {
        return result;
    }
    return file->Save(lnkPath.c_str(), TRUE);
}

} // namespace ShellLinkFile
