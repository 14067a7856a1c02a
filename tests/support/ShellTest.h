#pragma once

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shobjidl.h>
#include <wrl/client.h>

#include <string>

namespace TestSupport {

// A test on a thread where OLE is initialised, as on the program's UI thread, with a folder of
// its own for the files and shortcuts it makes.
class ShellTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }

    // A small file in the folder; returns its path.
    std::wstring MakeFile(const std::wstring& name) {
        WriteFileBytes(folder / name, "content");
        return folder / name;
    }

    // A shortcut in the folder, made with the shell's own link object; returns its path.
    std::wstring MakeShortcut(const std::wstring& name, const std::wstring& target, const std::wstring& arguments = L"",
                              const std::wstring& workingFolder = L"") {
        Microsoft::WRL::ComPtr<IShellLinkW> link;
        EXPECT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))));
        link->SetPath(target.c_str());
        if (!arguments.empty()) {
            link->SetArguments(arguments.c_str());
        }
        if (!workingFolder.empty()) {
            link->SetWorkingDirectory(workingFolder.c_str());
        }
        Microsoft::WRL::ComPtr<IPersistFile> file;
        EXPECT_TRUE(SUCCEEDED(link.As(&file)));
        const std::wstring path = folder / name;
        EXPECT_TRUE(SUCCEEDED(file->Save(path.c_str(), TRUE)));
        return path;
    }

    TempFolder folder;
};

} // namespace TestSupport
