#include "support/TempFolder.h"

#include "foundation/version/FileVersion.h"
#include "foundation/win32/DataFolder.h"
#include "foundation/win32/WindowsFileVersionInfoReader.h"

#include <gtest/gtest.h>

using namespace Tessel::Common;

TEST(FormatVersion, JoinsTheFourNumbersWithDots) {
    EXPECT_EQ(FormatVersion({1, 0, 0, 17}), L"1.0.0.17");
    EXPECT_EQ(FormatVersion({10, 2, 300, 4000}), L"10.2.300.4000");
    EXPECT_EQ(FormatVersion({0, 0, 0, 0}), L"0.0.0.0");
}

TEST(WindowsFileVersionInfoReader, ReadsTheFixedFileVersion) {
    FileVersion version;
    WindowsFileVersionInfoReader reader;
    ASSERT_TRUE(reader.ReadVersion(GetProgramFilePath(), version));
    EXPECT_EQ(version, (FileVersion{10, 2, 300, 4000}));
    EXPECT_EQ(ReadProgramFileVersion(), (FileVersion{10, 2, 300, 4000}));
}

TEST(WindowsFileVersionInfoReader, FileWithoutVersionLeavesTheRecordAsItWas) {
    TestSupport::TempFolder folder;
    TestSupport::WriteFileBytes(folder / L"plain.txt", "no version here");
    const FileVersion before{7, 7, 7, 7};
    for (const std::wstring& path : {folder / L"plain.txt", folder / L"missing.exe"}) {
        FileVersion version = before;
        WindowsFileVersionInfoReader reader;
        EXPECT_FALSE(reader.ReadVersion(path, version));
        EXPECT_EQ(version, before);
    }
}

TEST(DataFolder, IsNamedAfterMajorAndMinorVersionBelowTheDocuments) {
    EXPECT_EQ(MakeDataFolderPath(L"C:\\Users\\ann\\Documents", {1, 0, 0, 17}),
              L"C:\\Users\\ann\\Documents\\Tilebay\\1.0");
    EXPECT_EQ(MakeDataFolderPath(L"D:\\", {2, 13, 5, 1}), L"D:\\Tilebay\\2.13");
    EXPECT_EQ(JoinPath(L"C:\\a\\", L"Data"), L"C:\\a\\Data");
    EXPECT_EQ(JoinPath(L"C:\\a", L"Data"), L"C:\\a\\Data");
}

TEST(DataFolder, ForceDirectoriesCreatesEveryMissingParent) {
    TestSupport::TempFolder folder;
    const std::wstring deep = folder / L"a\\b\\c\\";
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(folder / L"a\\b\\c"));
    EXPECT_TRUE(ForceDirectories(deep)) << "an existing folder is fine";
    TestSupport::WriteFileBytes(folder / L"file", "");
    EXPECT_FALSE(ForceDirectories(folder / L"file\\sub"));
    EXPECT_TRUE(FileExists(folder / L"file"));
    EXPECT_FALSE(DirectoryExists(folder / L"file"));
    EXPECT_FALSE(GetDocumentsFolder().empty());
}
