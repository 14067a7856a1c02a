#pragma once

#include <windows.h>

#include <shobjidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>

// The shell's link object for one shortcut file: made, loaded from a file, or filled in and
// saved. COM must be initialised on the calling thread; every interface is released on every path.
namespace ShellLinkFile {

// A new, empty link object.
HRESULT Create(Microsoft::WRL::ComPtr<IShellLinkW>& link);
// The shortcut file at lnkPath, loaded for reading.
HRESULT Open(const std::wstring& lnkPath, Microsoft::WRL::ComPtr<IShellLinkW>& link);
// A new shortcut file at lnkPath (written over when it exists), filled in by describe, which
// says where the shortcut points; nothing is saved when describe fails.
HRESULT Save(const std::wstring& lnkPath, const std::function<HRESULT(IShellLinkW& link)>& describe);

} // namespace ShellLinkFile
