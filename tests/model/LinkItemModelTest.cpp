#include "support/ShellTest.h"
#include "support/TempFolder.h"

#include "foundation/win32/DataFolder.h"
#include "model/LinkItemModel.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <memory>
#include <string>

using TestSupport::TempFolder;

namespace {

// Shortcuts made in a temporary folder with the shell's own link object, on a thread where OLE
// is initialised as on the program's UI thread.
class ShellShortcuts : public TestSupport::ShellTest {
protected:
    std::wstring MakeFolder(const std::wstring& name) {
        CreateDirectoryW((folder / name).c_str(), nullptr);
        return folder / name;
    }

    static SIZE IconSize(HICON icon) {
        ICONINFO info{};
        if (!GetIconInfo(icon, &info))
            return {0, 0};
        BITMAP bitmap{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        const SIZE size{bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        if (info.hbmMask)
            DeleteObject(info.hbmMask);
        return size;
    }
};

} // namespace

TEST_F(ShellShortcuts, FileShortcutGetsBothIconsOnceAndTheTargetNameWithoutExtension) {
    const std::wstring lnk = MakeShortcut(L"zzz1.lnk", MakeFile(L"Notes.v2.txt"));
    LinkItemModel item(L"zzz1.lnk", lnk);
    EXPECT_TRUE(item.DisplayName().empty()) << "filled with the first icon";

    const HICON large = item.GetLargeIcon();
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(item.DisplayName(), L"Notes.v2");
    EXPECT_EQ(item.GetLargeIcon(), large) << "kept, not built again";
    EXPECT_EQ(IconSize(large).cx, GetSystemMetrics(SM_CXICON));

    const HICON small = item.GetSmallIcon();
    ASSERT_NE(small, nullptr);
    EXPECT_NE(small, large);
    EXPECT_EQ(IconSize(small).cx, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(item.DisplayName(), L"Notes.v2") << "the same name when read again with the small icon";
}

TEST_F(ShellShortcuts, FolderShortcutsKeepTheWholeFolderName) {
    const struct { const wchar_t* folderName; } cases[] = {{L"Release 1.2"}, {L"Projects"}};
    int number = 0;
    for (const auto& c : cases) {
        const std::wstring lnk = MakeShortcut(L"zzz" + std::to_wstring(++number) + L".lnk", MakeFolder(c.folderName));
        LinkItemModel item(L"x.lnk", lnk);
        EXPECT_NE(item.GetLargeIcon(), nullptr);
        EXPECT_EQ(item.DisplayName(), c.folderName);
        EXPECT_TRUE(item.TargetExists()) << "a folder is a target that exists";
        EXPECT_EQ(LinkItemModel::GetTargetPath(lnk), folder / c.folderName);
    }
}

TEST_F(ShellShortcuts, DeletedTargetKeepsWhatWasLoadedButNoLongerExists) {
    const std::wstring target = MakeFile(L"tool.exe");
    const std::wstring lnk = MakeShortcut(L"zzz1.lnk", target);
    LinkItemModel item(L"zzz1.lnk", lnk);
    const HICON icon = item.GetLargeIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(item.DisplayName(), L"tool");
    EXPECT_TRUE(item.TargetExists());

    ASSERT_TRUE(DeleteFileW(target.c_str()));
    EXPECT_FALSE(item.TargetExists());
    EXPECT_EQ(LinkItemModel::GetTargetPath(lnk), target) << "the link is not resolved";
    EXPECT_EQ(item.GetLargeIcon(), icon);
    EXPECT_EQ(item.DisplayName(), L"tool");

    LinkItemModel later(L"zzz1.lnk", lnk);
    EXPECT_NE(later.GetLargeIcon(), nullptr) << "the icon is the shortcut file's own";
}

TEST_F(ShellShortcuts, UnreadableShortcutFilesHaveNoTargetAndNoName) {
    const struct {
        const char* what;
        std::wstring path;
    } cases[] = {
        {"missing file", folder / L"missing.lnk"},
        {"not a shortcut", MakeFile(L"garbage.lnk")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinkItemModel::GetTargetPath(c.path), L"") << c.what;
        PIDLIST_ABSOLUTE list = reinterpret_cast<PIDLIST_ABSOLUTE>(1);
        EXPECT_TRUE(FAILED(LinkItemModel::GetTargetIdList(c.path, &list))) << c.what;
        EXPECT_EQ(list, nullptr) << c.what;
        LinkItemModel item(L"x.lnk", c.path);
        item.GetLargeIcon();
        EXPECT_EQ(item.DisplayName(), L"") << c.what;
        EXPECT_FALSE(item.TargetExists()) << c.what;
    }
}

TEST_F(ShellShortcuts, TargetIdListNamesTheTarget) {
    const std::wstring target = MakeFile(L"report.txt");
    PIDLIST_ABSOLUTE list = nullptr;
    ASSERT_EQ(LinkItemModel::GetTargetIdList(MakeShortcut(L"zzz1.lnk", target), &list), S_OK);
    ASSERT_NE(list, nullptr);
    wchar_t path[MAX_PATH] = {};
    EXPECT_TRUE(SHGetPathFromIDListW(list, path));
    EXPECT_EQ(std::wstring(path), target);
    CoTaskMemFree(list);
}

TEST_F(ShellShortcuts, IconsAreDestroyedWithTheItem) {
    const std::wstring lnk = MakeShortcut(L"zzz1.lnk", MakeFile(L"a.txt"));
    auto item = std::make_unique<LinkItemModel>(L"zzz1.lnk", lnk);
    const HICON large = item->GetLargeIcon();
    const HICON small = item->GetSmallIcon();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(large, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    item.reset();
    EXPECT_FALSE(GetIconInfo(large, &info));
    EXPECT_FALSE(GetIconInfo(small, &info));
}

TEST_F(ShellShortcuts, RunStartsTheTargetWithTheShortcutsArgumentsAndFolder) {
    const std::wstring program = Tessel::Common::GetProgramFilePath();
    const std::wstring helper = program.substr(0, program.find_last_of(L'\\')) + L"\\MarkerWriter.exe";
    ASSERT_TRUE(Tessel::Common::FileExists(helper)) << "built beside the tests";
    const std::wstring workingFolder = MakeFolder(L"work folder");
    const std::wstring marker = folder / L"marker.txt";
    const std::wstring lnk = MakeShortcut(L"zzz1.lnk", helper, L"\"" + marker + L"\" hello", workingFolder);

    LinkItemModel(L"zzz1.lnk", lnk).Run();

    for (int waited = 0; waited < 300 && !Tessel::Common::FileExists(marker); ++waited)
        Sleep(50);
    const std::string bytes = TestSupport::ReadFileBytes(marker);
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    EXPECT_EQ(text, L"hello\n" + workingFolder);
}

TEST(LinkItemModel, DisplayNameDropsOnlyTheTargetsExtension) {
    const struct {
        const wchar_t* shellName;
        const wchar_t* target;
        bool isFolder;
        const wchar_t* expected;
    } cases[] = {
        {L"notepad.exe", L"C:\\Tools\\notepad.exe", false, L"notepad"},
        {L"notepad", L"C:\\Tools\\notepad.exe", false, L"notepad"},
        {L"NOTEPAD.EXE", L"c:\\tools\\notepad.exe", false, L"NOTEPAD"},
        {L"my.report.docx", L"C:\\my.report.docx", false, L"my.report"},
        {L"my.report", L"C:\\my.report.docx", false, L"my.report"},
        {L"Release 1.2", L"C:\\Release 1.2", true, L"Release 1.2"},
        {L"Projects", L"C:\\Projects", true, L"Projects"},
        {L"Control Panel", L"", false, L"Control Panel"},
        {L".bashrc", L"C:\\home\\.bashrc", false, L".bashrc"},
        {L"file", L"C:\\dir.x\\file", false, L"file"},
        {L"", L"", false, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LinkItemModel::TrimDisplayName(c.shellName, c.target, c.isFolder), c.expected)
            << testing::PrintToString(std::wstring(c.shellName));
    }
}

TEST(LinkItemModel, FileLocationSelectsTheTargetInANewWindow) {
    EXPECT_EQ(LinkItemModel::FileLocationParameters(L"C:\\Program Files\\App\\app.exe"),
              L"/n,/select,C:\\Program Files\\App\\app.exe");
    EXPECT_EQ(LinkItemModel::FileLocationParameters(L"C:\\Data\\a,b.txt"), L"/n,/select,\"C:\\Data\\a,b.txt\"");
    EXPECT_EQ(LinkItemModel::FileLocationParameters(L""), L"/n,/select,");
}
