#include "model/FirstRunPlan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using FirstRunPlan::FoundItem;
using FirstRunPlan::ItemKind;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

FoundItem Lnk(const std::wstring& path, const std::wstring& target) {
    return {path, ItemKind::Shortcut, target, false, L""};
}
FoundItem Url(const std::wstring& path, const std::wstring& url) {
    return {path, ItemKind::InternetShortcut, url, false, L""};
}
FoundItem Exe(const std::wstring& path) {
    return {path, ItemKind::Program, path, false, L""};
}
FoundItem Broken(const std::wstring& path, const std::wstring& problem) {
    return {path, ItemKind::Shortcut, L"C:\\Gone\\gone.exe", true, problem};
}

std::vector<std::wstring> Paths(const FirstRunPlan::Group& group) {
    std::vector<std::wstring> paths;
    for (const FoundItem& item : group.items) {
        paths.push_back(item.path);
    }
    return paths;
}

std::wstring ReasonFor(const FirstRunPlan::Plan& plan, const std::wstring& path) {
    for (const auto& skipped : plan.skipped) {
        if (skipped.path == path) {
            return skipped.reason;
        }
    }
    return L"";
}

} // namespace

TEST(FirstRunPlanTest, KindComesFromTheExtensionWhateverItsCase) {
    const struct {
        const wchar_t* name;
        ItemKind kind;
    } cases[] = {
        {L"C:\\Users\\me\\Desktop\\Editor.lnk", ItemKind::Shortcut},
        {L"Editor.LNK", ItemKind::Shortcut},
        {L"News.Url", ItemKind::InternetShortcut},
        {L"tool.EXE", ItemKind::Program},
        {L"desktop.ini", ItemKind::Other},
        {L"notes.txt", ItemKind::Other},
        {L"C:\\odd.lnk\\file", ItemKind::Other},
        {L"lnk", ItemKind::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirstRunPlan::KindOf(c.name), c.kind) << c.name;
    }
}

TEST(FirstRunPlanTest, StartMenuUninstallersReadMesAndDocumentsAreLeftOut) {
    const struct {
        FoundItem item;
        const wchar_t* reason; // a part of the reason; empty: taken
    } cases[] = {
        {Lnk(L"P\\Uninstall Editor.lnk", L"C:\\Editor\\editor.exe"), L"uninstaller"},
        {Lnk(L"P\\Remove.lnk", L"C:\\Editor\\unins000.exe"), L"uninstaller"},
        {Lnk(L"P\\Editor Uninst.lnk", L"C:\\Editor\\x.exe"), L"uninstaller"},
        {Lnk(L"P\\ReadMe.lnk", L"C:\\Editor\\notes.doc"), L"read-me"},
        {Lnk(L"P\\Read me first.lnk", L"C:\\Editor\\first.doc"), L"read-me"},
        {Lnk(L"P\\Notes.lnk", L"C:\\Editor\\README.md"), L"read-me"},
        {Lnk(L"P\\License.lnk", L"C:\\Editor\\license.TXT"), L".txt"},
        {Lnk(L"P\\Help.lnk", L"C:\\Editor\\help.chm"), L".chm"},
        {Lnk(L"P\\Manual.lnk", L"C:\\Editor\\manual.html"), L".html"},
        {Url(L"P\\Home page.url", L"http://example.com/index.htm"), L""},
        {Lnk(L"P\\Editor.lnk", L"C:\\Editor\\editor.exe"), L""},
        {Lnk(L"P\\Unison.lnk", L"C:\\Unison\\unison.exe"), L""},
        {Lnk(L"P\\Control.lnk", L""), L""},
    };
    for (const auto& c : cases) {
        const FirstRunPlan::Plan plan = FirstRunPlan::Make({}, {c.item});
        const std::wstring reason = ReasonFor(plan, c.item.path);
        if (*c.reason == L'\0') {
            EXPECT_THAT(Paths(plan.programs), ElementsAre(c.item.path)) << c.item.path << L": " << reason;
        } else {
            EXPECT_THAT(Paths(plan.programs), IsEmpty()) << c.item.path;
            EXPECT_THAT(reason, HasSubstr(c.reason)) << c.item.path;
        }
    }
}

TEST(FirstRunPlanTest, TheDesktopKeepsWhatTheUserPutThereButNotBrokenOrForeignFiles) {
    const std::vector<FoundItem> desktop = {
        Lnk(L"D\\Notes.lnk", L"C:\\Users\\me\\notes.txt"),
        Lnk(L"D\\Uninstall Game.lnk", L"C:\\Game\\uninstall.exe"),
        Broken(L"D\\Old.lnk", L"the target C:\\Gone\\gone.exe is missing"),
        {L"D\\desktop.ini", ItemKind::Other, L"", false, L""},
        Exe(L"D\\tool.exe"),
        Url(L"D\\News.url", L"https://news.example/"),
    };
    const FirstRunPlan::Plan plan = FirstRunPlan::Make(desktop, {});
    EXPECT_THAT(Paths(plan.desktop),
                ElementsAre(L"D\\News.url", L"D\\Notes.lnk", L"D\\tool.exe", L"D\\Uninstall Game.lnk"));
    EXPECT_THAT(ReasonFor(plan, L"D\\Old.lnk"), HasSubstr(L"broken: the target C:\\Gone\\gone.exe is missing"));
    EXPECT_THAT(ReasonFor(plan, L"D\\desktop.ini"), HasSubstr(L"not a shortcut"));
    EXPECT_EQ(plan.skipped.size(), 2u);
    EXPECT_EQ(plan.desktop.name, L"Desktop");
    EXPECT_EQ(plan.programs.name, L"Programs");
}

TEST(FirstRunPlanTest, ShortcutsToTheSameTargetAreMergedKeepingTheFirstFound) {
    const std::vector<FoundItem> programs = {
        Lnk(L"User\\Editor.lnk", L"C:\\Program Files\\Editor\\editor.exe"),
        Lnk(L"Common\\Editor.lnk", L"c:/program files/editor/EDITOR.EXE"),
        {L"Common\\Tools\\Editor again.exe", ItemKind::Program, L"C:\\PROGRAM FILES\\Editor\\editor.exe", false, L""},
        Url(L"User\\Site.url", L"https://example.com/"),
        Url(L"Common\\Site.url", L"HTTPS://EXAMPLE.COM/"),
        // Items without a path target (control-panel entries) are told apart by their files.
        Lnk(L"User\\Printers.lnk", L""),
        Lnk(L"Common\\Printers.lnk", L""),
    };
    const FirstRunPlan::Plan plan = FirstRunPlan::Make({}, programs);
    EXPECT_THAT(Paths(plan.programs),
                ElementsAre(L"User\\Editor.lnk", L"Common\\Printers.lnk", L"User\\Printers.lnk", L"User\\Site.url"));
    EXPECT_EQ(ReasonFor(plan, L"Common\\Editor.lnk"), L"opens the same as User\\Editor.lnk");
    EXPECT_EQ(ReasonFor(plan, L"Common\\Tools\\Editor again.exe"), L"opens the same as User\\Editor.lnk");
    EXPECT_EQ(ReasonFor(plan, L"Common\\Site.url"), L"opens the same as User\\Site.url");
}

TEST(FirstRunPlanTest, GroupsAreOrderedByNameAndCappedKeepingTheFirstNames) {
    std::vector<FoundItem> programs;
    // Found in reverse order, with names that differ in case only from their neighbours.
    for (int i = 249; i >= 0; --i) {
        const std::wstring number = std::to_wstring(1000 + i).substr(1);
        const std::wstring name = std::wstring(L"P\\") + (i % 2 == 0 ? L"app" : L"App") + number + L".lnk";
        programs.push_back(Lnk(name, L"C:\\Apps\\" + std::to_wstring(i) + L".exe"));
    }
    const FirstRunPlan::Plan plan = FirstRunPlan::Make({}, programs);
    ASSERT_EQ(plan.programs.items.size(), FirstRunPlan::MaxPerGroup);
    EXPECT_EQ(plan.programs.items.front().path, L"P\\app000.lnk");
    EXPECT_EQ(plan.programs.items[1].path, L"P\\App001.lnk");
    EXPECT_EQ(plan.programs.items.back().path, L"P\\App199.lnk");
    ASSERT_EQ(plan.skipped.size(), 50u);
    EXPECT_EQ(plan.skipped.front().path, L"P\\app200.lnk");
    EXPECT_THAT(plan.skipped.front().reason, HasSubstr(L"\"Programs\" is full (200 shortcuts)"));

    // The same items found in another order give the same group.
    std::vector<FoundItem> reversed(programs.rbegin(), programs.rend());
    EXPECT_EQ(Paths(FirstRunPlan::Make({}, reversed).programs), Paths(plan.programs));
}

TEST(FirstRunPlanTest, NamesAreFileNamesWithoutFolderAndExtension) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
    } cases[] = {
        {L"C:\\Users\\me\\Desktop\\Editor 2.1.lnk", L"Editor 2.1"},
        {L"D/Site.url", L"Site"},
        {L"tool.exe", L"tool"},
        {L"C:\\d\\.hidden", L".hidden"},
        {L"C:\\d\\noext", L"noext"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirstRunPlan::NameOf(c.path), c.name) << c.path;
    }
}
