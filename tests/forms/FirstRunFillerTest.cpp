#include "support/LogCapture.h"
#include "support/ShellTest.h"
#include "support/TempFolder.h"

#include "forms/FirstRunFiller.h"
#include "forms/FirstRunPlacement.h"
#include "model/LinkItemModel.h"
#include "model/OrvexModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

using ::testing::HasSubstr;
using TestSupport::ListFolder;
using TestSupport::ReadFileBytes;
using TestSupport::TempFolder;
using TestSupport::WriteFileBytes;

namespace {

class FirstRunFillerTest : public TestSupport::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        for (const wchar_t* name : {L"Desktop", L"Public", L"Start", L"Start\\Editor", L"Common", L"Common\\Editor"}) {
            CreateDirectoryW((folder / name).c_str(), nullptr);
        }
        model.SetDataFolder(data.Path());
    }

    // Every file under the folders the fill reads, with its bytes.
    std::map<std::wstring, std::string> UserFiles() {
        std::map<std::wstring, std::string> files;
        for (const wchar_t* name : {L"Desktop", L"Public", L"Start", L"Start\\Editor", L"Common", L"Common\\Editor"}) {
            for (const std::wstring& entry : ListFolder(folder / name)) {
                files[folder / name + L"\\" + entry] = ReadFileBytes(folder / name + L"\\" + entry);
            }
        }
        return files;
    }

    TempFolder data;
    OrvexModel model;
};

} // namespace

TEST_F(FirstRunFillerTest, FillsDesktopAndProgramsBesideTheGroupsThereAreLeavingTheUsersFilesAlone) {
    TestSupport::LogStateGuard logState;
    TestSupport::LogCapture log;
    const std::wstring editor = MakeFile(L"editor.exe");
    const std::wstring viewer = MakeFile(L"viewer.exe");
    MakeFile(L"readme.txt");
    WriteFileBytes(folder / L"gone.exe", "x");
    // The Desktop: two shortcuts, an internet shortcut, a program and a broken shortcut.
    MakeShortcut(L"Desktop\\Editor.lnk", editor, L"--new", folder.Path());
    MakeShortcut(L"Desktop\\Viewer.lnk", viewer);
    WriteFileBytes(folder / L"Desktop\\News.url", "[InternetShortcut]\r\nURL=https://news.example/\r\n");
    WriteFileBytes(folder / L"Desktop\\Portable.exe", "MZ");
    MakeShortcut(L"Desktop\\Gone.lnk", folder / L"gone.exe");
    DeleteFileW((folder / L"gone.exe").c_str());
    // The Start menu: the editor twice (user and all users), its uninstaller and read-me.
    MakeShortcut(L"Start\\Editor\\Editor.lnk", editor);
    MakeShortcut(L"Start\\Editor\\Uninstall Editor.lnk", editor, L"/uninstall");
    MakeShortcut(L"Start\\Editor\\Read me.lnk", folder / L"readme.txt");
    MakeShortcut(L"Common\\Editor\\Editor.lnk", editor);
    MakeShortcut(L"Common\\Viewer.lnk", viewer);
    const auto before = UserFiles();

    LinkGroupModel* existing = model.AddGroup(0, 0);
    const GroupGeometry::Rect area{0, 0, 1600, 900};
    const FirstRunFill::Folders folders{{folder / L"Desktop", folder / L"Public"},
                                        {folder / L"Start", folder / L"Common"}};
    const FirstRunFill::Outcome outcome = FirstRunFiller::FillFrom(model, folders, area);

    ASSERT_EQ(outcome.groups.size(), 2u);
    ASSERT_EQ(model.GetGroups().size(), 3u);
    EXPECT_EQ(model.GetGroups()[0].get(), existing);
    EXPECT_EQ(outcome.groups[0]->GetLinks().size(), 4u) << "Desktop: the broken shortcut skipped";
    EXPECT_EQ(outcome.groups[1]->GetLinks().size(), 2u) << "Programs: Editor and Viewer";
    EXPECT_EQ(outcome.shortcuts, 6u);
    EXPECT_EQ(ListFolder(data.Path()).size(), 6u);
    EXPECT_TRUE(model.IsChanged());
    EXPECT_EQ(UserFiles(), before) << "nothing of the user's was moved or changed";

    // The groups cover neither each other nor the group that was there.
    std::vector<GroupGeometry::Rect> boxes = {
        GroupGeometry::BoundsFor({0, 0, 0, 0}, GroupGeometry::LargeCell, GroupGeometry::DefaultColumns, 1)};
    for (const LinkGroupModel* group : outcome.groups) {
        const LinkGroupSettings& s = group->GetSettings();
        EXPECT_TRUE(s.IsLargeIcon());
        EXPECT_TRUE(s.IsTitleVisible());
        boxes.push_back(
            FirstRunPlacement::BoundsFor(s.X(), s.Y(), s.Column(), static_cast<int>(group->GetLinks().size())));
    }
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            const auto& a = boxes[i];
            const auto& b = boxes[j];
            EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom) << i << "," << j;
        }
    }

    const std::wstring text = log.Text();
    EXPECT_THAT(text, HasSubstr(folder / L"Desktop\\Gone.lnk"));
    EXPECT_THAT(text, HasSubstr(L"an uninstaller"));
    EXPECT_THAT(text, HasSubstr(L"a read-me"));
    EXPECT_THAT(text, HasSubstr(L"opens the same as"));
    EXPECT_THAT(text, HasSubstr(L"2 groups, 6 shortcuts, 4 items not taken"));
}

TEST_F(FirstRunFillerTest, NothingToTakeMakesNoGroup) {
    WriteFileBytes(folder / L"Desktop\\desktop.ini", "[.ShellClassInfo]\r\n");
    const FirstRunFill::Outcome outcome = FirstRunFiller::FillFrom(
        model, {{folder / L"Desktop", folder / L"Missing"}, {folder / L"Start"}}, {0, 0, 1600, 900});
    EXPECT_TRUE(outcome.groups.empty());
    EXPECT_TRUE(model.GetGroups().empty());
    EXPECT_TRUE(ListFolder(data.Path()).empty());
}
