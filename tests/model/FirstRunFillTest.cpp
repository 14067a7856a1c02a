#include "support/LogCapture.h"
#include "support/ShellTest.h"
#include "support/TempFolder.h"

#include "model/FirstRunFill.h"
#include "model/LinkItemModel.h"
#include "model/OrvexModel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <string>
#include <vector>

using FirstRunPlan::FoundItem;
using FirstRunPlan::ItemKind;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using TestSupport::ListFolder;
using TestSupport::ReadFileBytes;
using TestSupport::TempFolder;
using TestSupport::WriteFileBytes;

namespace {

class FirstRunFillTest : public TestSupport::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        CreateDirectoryW(desktop.c_str(), nullptr);
        CreateDirectoryW(publicDesktop.c_str(), nullptr);
        CreateDirectoryW(programs.c_str(), nullptr);
        model.SetDataFolder(data.Path());
    }

    static std::vector<std::wstring> Paths(const std::vector<FoundItem>& items) {
        std::vector<std::wstring> paths;
        for (const FoundItem& item : items) {
            paths.push_back(item.path);
        }
        return paths;
    }

    static bool IsGeneratedName(const std::wstring& name) {
        return std::regex_match(name, std::wregex(L"zzz[0-9A-Fa-f]+\\.(lnk|url)"));
    }

    const std::wstring desktop = folder / L"Desktop";
    const std::wstring publicDesktop = folder / L"Public Desktop";
    const std::wstring programs = folder / L"Programs";
    TempFolder data;
    OrvexModel model;
};

} // namespace

TEST_F(FirstRunFillTest, FindsTheFilesOfEachFolderAndOfOneLevelOfSubfoldersByName) {
    CreateDirectoryW((programs + L"\\Tools").c_str(), nullptr);
    CreateDirectoryW((programs + L"\\Tools\\Deeper").c_str(), nullptr);
    WriteFileBytes(programs + L"\\b.exe", "b");
    WriteFileBytes(programs + L"\\A.exe", "a");
    WriteFileBytes(programs + L"\\Tools\\c.exe", "c");
    WriteFileBytes(programs + L"\\Tools\\Deeper\\d.exe", "d");
    WriteFileBytes(desktop + L"\\e.exe", "e");

    EXPECT_THAT(
        Paths(FirstRunFill::FindItems({programs, desktop, folder / L"Missing"}, 1)),
        ElementsAre(programs + L"\\A.exe", programs + L"\\b.exe", programs + L"\\Tools\\c.exe", desktop + L"\\e.exe"));
    EXPECT_THAT(Paths(FirstRunFill::FindItems({programs}, 0)),
                ElementsAre(programs + L"\\A.exe", programs + L"\\b.exe"));
}

TEST_F(FirstRunFillTest, ExaminesEachKindWithoutSearchingForMovedTargets) {
    const std::wstring tool = MakeFile(L"tool.exe");
    const std::wstring gone = folder / L"gone.exe";
    WriteFileBytes(gone, "x");
    const std::wstring toGone = MakeShortcut(L"Gone.lnk", gone);
    DeleteFileW(gone.c_str());
    WriteFileBytes(folder / L"garbage.lnk", "not a shortcut at all");
    WriteFileBytes(folder / L"Site.url", "[InternetShortcut]\r\nURL=https://example.com/\r\n");
    WriteFileBytes(folder / L"Empty.url", "[InternetShortcut]\r\n");
    WriteFileBytes(folder / L"notes.txt", "text");

    const struct {
        std::wstring path;
        ItemKind kind;
        std::wstring target; // "*" when not checked
        bool broken;
        const wchar_t* problem;
    } cases[] = {
        {MakeShortcut(L"Tool.lnk", tool, L"--fast"), ItemKind::Shortcut, tool, false, L""},
        {MakeShortcut(L"Folder.lnk", data.Path()), ItemKind::Shortcut, data.Path(), false, L""},
        {toGone, ItemKind::Shortcut, L"*", true, L"is missing"},
        {folder / L"garbage.lnk", ItemKind::Shortcut, L"", true, L"cannot be read"},
        {folder / L"Site.url", ItemKind::InternetShortcut, L"https://example.com/", false, L""},
        {folder / L"Empty.url", ItemKind::InternetShortcut, L"", true, L"no URL"},
        {tool, ItemKind::Program, tool, false, L""},
        {folder / L"notes.txt", ItemKind::Other, L"", false, L""},
    };
    for (const auto& c : cases) {
        const FoundItem item = FirstRunFill::ExamineItem(c.path);
        EXPECT_EQ(item.kind, c.kind) << c.path;
        if (c.target != L"*") {
            EXPECT_EQ(CompareStringOrdinal(item.target.c_str(), -1, c.target.c_str(), -1, TRUE), CSTR_EQUAL)
                << c.path << L" -> " << item.target;
        }
        EXPECT_EQ(item.broken, c.broken) << c.path;
        EXPECT_THAT(item.problem, HasSubstr(c.problem)) << c.path;
    }
}

TEST_F(FirstRunFillTest, CopiesIntoTheDataFolderUnderFreshNamesLeavingTheUsersFilesAsTheyWere) {
    const std::wstring tool = MakeFile(L"tool.exe");
    const std::wstring other = MakeFile(L"other.exe");
    MakeShortcut(L"Desktop\\Tool.lnk", tool, L"--fast", folder.Path());
    MakeShortcut(L"Public Desktop\\Other.lnk", other);
    WriteFileBytes(desktop + L"\\Site.url", "[InternetShortcut]\r\nURL=https://example.com/\r\n");
    WriteFileBytes(desktop + L"\\Own tool.exe", "MZ");
    WriteFileBytes(folder / L"gone.exe", "x");
    MakeShortcut(L"Desktop\\Gone.lnk", folder / L"gone.exe");
    DeleteFileW((folder / L"gone.exe").c_str());
    MakeShortcut(L"Programs\\Tool.lnk", tool);
    MakeShortcut(L"Programs\\Uninstall Tool.lnk", other);

    std::vector<std::wstring> userFiles;
    std::vector<std::string> userBytes;
    for (const std::wstring& f : {desktop, publicDesktop, programs}) {
        for (const std::wstring& name : ListFolder(f)) {
            userFiles.push_back(f + L"\\" + name);
            userBytes.push_back(ReadFileBytes(f + L"\\" + name));
        }
    }

    const FirstRunPlan::Plan plan = FirstRunPlan::Make(FirstRunFill::FindItems({desktop, publicDesktop}, 0),
                                                       FirstRunFill::FindItems({programs}, 1));
    const FirstRunFill::Outcome outcome = FirstRunFill::AddGroups(model, plan, {{16, 24, 4}, {400, 24, 1}});

    ASSERT_EQ(outcome.groups.size(), 2u);
    EXPECT_EQ(outcome.shortcuts, 5u);
    EXPECT_TRUE(outcome.failed.empty());
    EXPECT_TRUE(model.IsChanged());
    const LinkGroupModel& desktopGroup = *outcome.groups[0];
    EXPECT_EQ(desktopGroup.GetSettings().X(), 16);
    EXPECT_EQ(desktopGroup.GetSettings().Y(), 24);
    EXPECT_EQ(desktopGroup.GetSettings().Column(), 4);
    EXPECT_TRUE(desktopGroup.GetSettings().IsLargeIcon());
    EXPECT_TRUE(desktopGroup.GetSettings().IsTitleVisible());
    EXPECT_EQ(outcome.groups[1]->GetSettings().X(), 400);
    EXPECT_EQ(outcome.groups[1]->GetSettings().Column(), 1);
    ASSERT_EQ(desktopGroup.GetLinks().size(), 4u) << "Other, Own tool, Site, Tool; the broken one skipped";
    ASSERT_EQ(outcome.groups[1]->GetLinks().size(), 1u);

    // Other.lnk and Tool.lnk are copied byte for byte, arguments and working folder included.
    const LinkItemModel& otherLink = *desktopGroup.GetLinks()[0];
    const LinkItemModel& ownTool = *desktopGroup.GetLinks()[1];
    const LinkItemModel& site = *desktopGroup.GetLinks()[2];
    const LinkItemModel& toolLink = *desktopGroup.GetLinks()[3];
    EXPECT_EQ(ReadFileBytes(otherLink.Path()), ReadFileBytes(publicDesktop + L"\\Other.lnk"));
    EXPECT_EQ(ReadFileBytes(toolLink.Path()), ReadFileBytes(desktop + L"\\Tool.lnk"));
    EXPECT_EQ(ReadFileBytes(site.Path()), ReadFileBytes(desktop + L"\\Site.url"));
    EXPECT_EQ(site.FileName().substr(site.FileName().size() - 4), L".url");
    EXPECT_EQ(CompareStringOrdinal(LinkItemModel::GetTargetPath(ownTool.Path()).c_str(), -1,
                                   (desktop + L"\\Own tool.exe").c_str(), -1, TRUE),
              CSTR_EQUAL)
        << "the program gets a new shortcut to itself";
    for (const auto& group : model.GetGroups()) {
        for (const auto& link : group->GetLinks()) {
            EXPECT_TRUE(IsGeneratedName(link->FileName())) << link->FileName() << L" in " << data.Path();
            EXPECT_EQ(link->Path(), data / link->FileName());
        }
    }
    EXPECT_EQ(ListFolder(data.Path()).size(), 5u) << "no temporary file remains";

    for (std::size_t i = 0; i < userFiles.size(); ++i) {
        EXPECT_EQ(ReadFileBytes(userFiles[i]), userBytes[i]) << userFiles[i];
    }

    // The store keeps both groups, the internet shortcut included.
    model.Save();
    OrvexModel loaded;
    loaded.SetDataFolder(data.Path());
    loaded.Load();
    ASSERT_EQ(loaded.GetGroups().size(), 2u);
    EXPECT_EQ(loaded.GetGroups()[0]->GetLinks().size(), 4u);
    EXPECT_EQ(loaded.GetGroups()[0]->GetLinks()[2]->FileName(), site.FileName());
}

TEST_F(FirstRunFillTest, AnItemThatCannotBeCopiedIsLeftOutAndLoggedWhileTheOthersAreAdded) {
    TestSupport::LogStateGuard logState;
    TestSupport::LogCapture log;
    const std::wstring tool = MakeFile(L"tool.exe");
    MakeShortcut(L"Desktop\\A.lnk", tool);
    MakeShortcut(L"Desktop\\B.lnk", MakeFile(L"b.exe"));
    const FirstRunPlan::Plan plan = FirstRunPlan::Make(FirstRunFill::FindItems({desktop}, 0), {});
    // The file goes away between the look and the copy.
    DeleteFileW((desktop + L"\\A.lnk").c_str());

    const FirstRunFill::Outcome outcome = FirstRunFill::AddGroups(model, plan, {});

    ASSERT_EQ(outcome.groups.size(), 1u) << "no group for an empty Programs";
    EXPECT_EQ(outcome.shortcuts, 1u);
    ASSERT_EQ(outcome.failed.size(), 1u);
    EXPECT_EQ(outcome.failed[0].path, desktop + L"\\A.lnk");
    EXPECT_THAT(log.Text(), HasSubstr(desktop + L"\\A.lnk"));
    EXPECT_EQ(ListFolder(data.Path()).size(), 1u) << "no placeholder of the failed copy remains";
}

TEST_F(FirstRunFillTest, TheUsersFoldersAreKnownAndListedOnce) {
    const FirstRunFill::Folders folders = FirstRunFill::FoldersOfThisUser();
    EXPECT_FALSE(folders.desktop.empty());
    EXPECT_FALSE(folders.programs.empty());
    for (const auto* list : {&folders.desktop, &folders.programs}) {
        for (std::size_t i = 0; i < list->size(); ++i) {
            for (std::size_t j = i + 1; j < list->size(); ++j) {
                EXPECT_NE(CompareStringOrdinal((*list)[i].c_str(), -1, (*list)[j].c_str(), -1, TRUE), CSTR_EQUAL);
            }
        }
    }
}

TEST_F(FirstRunFillTest, ACopiedInternetShortcutIsNamedAfterTheSiteItOpens) {
    const struct {
        const char* content;
        const wchar_t* name;
    } cases[] = {
        {"[InternetShortcut]\r\nURL=https://www.example.com/news?x=1\r\n", L"example.com"},
        {"[InternetShortcut]\r\nURL=http://user@intranet:8080#top\r\n", L"intranet:8080"},
        {"[InternetShortcut]\r\nURL=mailto:someone@example.com\r\n", L"mailto:someone@example.com"},
        {"[InternetShortcut]\r\n", L""},
    };
    for (const auto& c : cases) {
        const std::wstring path = data / L"zzz1.url";
        WriteFileBytes(path, c.content);
        EXPECT_EQ(LinkItemModel::LookUp(path, 32, 16).displayName, c.name) << c.content;
    }
}

TEST_F(FirstRunFillTest, NoDataFolderMakesNoGroupAndLogsEveryItem) {
    TestSupport::LogStateGuard logState;
    TestSupport::LogCapture log;
    MakeShortcut(L"Desktop\\A.lnk", MakeFile(L"a.exe"));
    WriteFileBytes(desktop + L"\\B.exe", "MZ");
    const FirstRunPlan::Plan plan = FirstRunPlan::Make(FirstRunFill::FindItems({desktop}, 0), {});
    model.SetDataFolder(data / L"Missing");

    const FirstRunFill::Outcome outcome = FirstRunFill::AddGroups(model, plan, {{8, 8, 2}});

    EXPECT_TRUE(outcome.groups.empty());
    EXPECT_TRUE(model.GetGroups().empty());
    EXPECT_FALSE(model.IsChanged());
    EXPECT_EQ(outcome.failed.size(), 2u);
    EXPECT_THAT(log.Text(), HasSubstr(L"\"Desktop\" not made"));
    EXPECT_THAT(log.Text(), HasSubstr(desktop + L"\\B.exe"));
}
