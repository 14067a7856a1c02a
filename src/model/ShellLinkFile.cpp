#include "model/ShellLinkFile.h"

using Microsoft::WRL::ComPtr;

namespace ShellLinkFile {

namespace {

// A new link object and its file face.
HRESULT CreateWithFile(ComPtr<IShellLinkW>& link, ComPtr<IPersistFile>& file) {
    const HRESULT result = Create(link);
    return FAILED(result) ? result : link.As(&file);
}

} // namespace

HRESULT Create(ComPtr<IShellLinkW>& link) {
    return CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
}

HRESULT Open(const std::wstring& lnkPath, ComPtr<IShellLinkW>& link) {
    ComPtr<IPersistFile> file;
    const HRESULT result = CreateWithFile(link, file);
    return FAILED(result) ? result : file->Load(lnkPath.c_str(), STGM_READ);
}

HRESULT Save(const std::wstring& lnkPath, const std::function<HRESULT(IShellLinkW& link)>& describe) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    HRESULT result = CreateWithFile(link, file);
    if (SUCCEEDED(result)) {
        result = describe(*link.Get());
    }
    return FAILED(result) ? result : file->Save(lnkPath.c_str(), TRUE);
}

} // namespace ShellLinkFile
