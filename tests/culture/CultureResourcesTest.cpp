#include "culture/CultureResources.h"
#include "culture/UserLocale.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {

struct CultureText {
    const wchar_t* key;
    const wchar_t* english;
    const wchar_t* chinese;
};

// Every text of the program, in resource order.
const CultureText ProgramTexts[] = {
    {L"Common_Ok", L"&OK", L"确定"},
    {L"Common_Cancel", L"&Cancel", L"取消"},
    {L"App_DoYouWantToCheckUpdate", L"Monthly tip: Please click OK to check update.",
     L"每月提示:请点击\"确定\"查看更新."},
    {L"MainWindow_Lb_ProductName", L"Tilebay", L"Tilebay"},
    {L"MainWindow_Menu_OpenFileLocation", L"Open File Location ...", L"打开文件位置 ..."},
    {L"MainWindow_Menu_ShowToolTip", L"Show Tooltip", L"显示提示"},
    {L"MainWindow_Menu_Properties", L"Properties ...", L"属性 ..."},
    {L"MainWindow_Menu_DeleteShortcut", L"Delete Shortcut", L"删除此快捷方式"},
    {L"MainWindow_Menu_GroupIconStyle", L"Icon Style", L"图标"},
    {L"MainWindow_Menu_GroupIconStyleLarge", L"Large", L"大图标"},
    {L"MainWindow_Menu_GroupIconStyleLargeWithText", L"Large With Text", L"大图标和文字"},
    {L"MainWindow_Menu_GroupIconStyleSmall", L"Small", L"小图标"},
    {L"MainWindow_Menu_GroupBackground", L"Background", L"背景"},
    {L"MainWindow_Menu_DeleteGroup", L"Delete Group", L"删除组"},
    {L"MainWindow_Menu_AddNewGroup", L"Add New Group", L"新建组"},
    {L"MainWindow_Menu_Options", L"Options ...", L"选项 ..."},
    {L"MainWindow_Menu_About", L"About ...", L"关于 ..."},
    {L"MainWindow_Menu_ExitApplication", L"Exit Application", L"退出程序"},
    {L"MainWindow_Btn_AddNewGroup", L"Add a new group", L"添加新组"},
    {L"MainWindow_Btn_EnableOrDisableAutoHide", L"Enable/disable auto hide", L"启用或禁用自动隐藏"},
    {L"MainWindow_AddNewGroupTip", L"Please click the \"+\" button to create a new group.", L"请先点击\"+\"创建一个组"},
    {L"MainWindow_FillFromDesktopAndStartMenu", L"Fill it from my Desktop and Start menu",
     L"或从桌面和\"开始\"菜单添加快捷方式"},
    {L"MainWindow_Menu_RestoreLayout", L"Restore Layout", L"恢复布局"},
    {L"MainWindow_Menu_RestoreLayoutNone", L"No snapshots yet", L"尚无快照"},
    {L"MainWindow_Menu_RestoreLayoutItem", L"%1 — %2, %3", L"%1 — %2，%3"},
    {L"MainWindow_Count_Groups", L"%1 groups", L"%1 个组"},
    {L"MainWindow_Count_OneGroup", L"1 group", L"1 个组"},
    {L"MainWindow_Count_Shortcuts", L"%1 shortcuts", L"%1 个快捷方式"},
    {L"MainWindow_Count_OneShortcut", L"1 shortcut", L"1 个快捷方式"},
    {L"MainWindow_Menu_ExportGroups", L"Export Groups ...", L"导出组 ..."},
    {L"MainWindow_Menu_ImportGroups", L"Import Groups ...", L"导入组 ..."},
    {L"MainWindow_RestoreLayoutConfirm",
     L"Restore the groups and shortcuts of %1? The current layout is kept as a snapshot first, so you can go back to "
     L"it.",
     L"要恢复 %1 的组和快捷方式吗？当前布局会先保存为快照，可以随时恢复。"},
    {L"MainWindow_RestoreLayoutFailed", L"The layout could not be restored: %1", L"无法恢复布局：%1"},
    {L"MainWindow_ExportGroupsFailed", L"The groups could not be exported: %1", L"无法导出组：%1"},
    {L"MainWindow_ImportGroupsFailed", L"The groups could not be imported: %1", L"无法导入组：%1"},
    {L"MainWindow_ZipFiles", L"Zip archives (*.zip)", L"Zip 压缩文件 (*.zip)"},
    {L"Access_Panel", L"Shortcut groups", L"快捷方式组"},
    {L"Access_Group", L"Group %1, %2", L"第 %1 组，%2"},
    {L"Access_Open", L"Open", L"打开"},
    {L"Access_Press", L"Press", L"按下"},
    {L"Options_Form_Title", L"Options", L"选项"},
    {L"Options_Tab_General", L"General", L"常用"},
    {L"Options_Tab_General_LbFloatingButton", L"Floating Button's Visible Height", L"浮动按钮可见高度"},
    {L"Options_Tab_General_ChkAutoStart", L"Auto start when user logs on Windows", L"当用户登录到Windows时自动启动"},
    {L"Options_Tab_General_PanelStartButtonColor", L"Change color ...", L"改变颜色..."},
    {L"Options_Tab_General_LabelStartButtonColor", L"Color", L"颜色"},
    {L"Options_Tab_About", L"About", L"关于"},
    {L"MainWindow_Filter_Hint", L"Type to find a shortcut", L"输入名称或拼音查找快捷方式"},
    {L"Options_Tab_General_LbHotkey", L"Show the panel and search with", L"显示面板并搜索的快捷键"},
    {L"Options_Tab_General_HotkeyTaken", L"Another program uses these keys", L"其他程序已占用此快捷键"},
};

std::string ResourceBytes(const wchar_t* name) {
    HRSRC resource = FindResourceW(nullptr, name, RT_RCDATA);
    if (resource == nullptr) {
        return {};
    }
    const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
    return std::string(data, SizeofResource(nullptr, resource));
}

void ExpectProgramTexts(CultureManager& manager, bool chinese) {
    for (const CultureText& text : ProgramTexts) {
        const std::wstring key = text.key;
        EXPECT_EQ(manager.GetText(key), chinese ? text.chinese : text.english) << std::string(key.begin(), key.end());
    }
}

} // namespace

TEST(CultureResources, HoldExactlyTheProgramsTextsInOrder) {
    for (const bool chinese : {false, true}) {
        const wchar_t* name = chinese ? L"CULTURETEXT_ZH_CN" : L"CULTURETEXT";
        SCOPED_TRACE(chinese ? "CULTURETEXT_ZH_CN" : "CULTURETEXT");
        std::wstring expected;
        for (const CultureText& text : ProgramTexts) {
            if (!expected.empty()) {
                expected += L"\r\n";
            }
            expected += std::wstring(text.key) + L"=" + (chinese ? text.chinese : text.english);
        }
        // UTF-16LE with its mark, CR LF between lines and nothing after the last one.
        const std::string bytes = ResourceBytes(name);
        ASSERT_EQ(bytes.size(), 2 + expected.size() * 2);
        EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), expected.size()), expected);

        std::vector<std::wstring> lines;
        ASSERT_TRUE(LoadStringsFromResource(GetModuleHandleW(nullptr), name, TextEncoding::Utf16LE, lines));
        ASSERT_EQ(lines.size(), std::size(ProgramTexts));
        EXPECT_EQ(lines.front(), chinese ? L"Common_Ok=确定" : L"Common_Ok=&OK");
    }
}

TEST(CultureResources, ResourceNamesMatchWithoutRegardToLetterCase) {
    std::vector<std::wstring> lines;
    ASSERT_TRUE(LoadStringsFromResource(nullptr, L"CultureText_zh_cn", TextEncoding::Utf16LE, lines));
    EXPECT_EQ(lines.size(), std::size(ProgramTexts));

    std::vector<std::wstring> untouched{L"before"};
    EXPECT_FALSE(LoadStringsFromResource(nullptr, L"CultureText_zh", TextEncoding::Utf16LE, untouched));
    EXPECT_THAT(untouched, ElementsAre(L"before"));
}

TEST(CultureResources, OnlyTheSimplifiedChineseCultureGetsTheChineseTexts) {
    const CultureLocale locales[] = {{L"zh", L"CN"}, {L"en", L"US"}, {L"de", L"DE"}, {L"zh", L"TW"}, {L"", L""}};
    for (const CultureLocale& locale : locales) {
        CultureManager manager(locale);
        SCOPED_TRACE(std::string(manager.GetCulture().begin(), manager.GetCulture().end()));
        LoadCultureTexts(manager, L"CultureText");
        ExpectProgramTexts(manager, locale.language == L"zh" && locale.country == L"CN");
        EXPECT_EQ(manager.GetText(L"MainWindow_NoSuchKey"), L"");
        EXPECT_EQ(manager.GetText(L"MainWindow_NoSuchKey"), L"");
    }
}

TEST(CultureResources, MoreSpecificResourcesOverrideOnlyTheTextsTheyHave) {
    struct Case {
        CultureLocale locale;
        const wchar_t* greeting;
        const wchar_t* colour;
    };
    const Case cases[] = {
        {{L"xx", L"YY"}, L"Hallo", L"Kleur"},
        {{L"xx", L"ZZ"}, L"Hallo", L"Farbe"},
        {{L"en", L"YY"}, L"Hello", L"Color"},
    };
    for (const Case& c : cases) {
        CultureManager manager(c.locale);
        LoadCultureTexts(manager, L"CultureTest");
        EXPECT_EQ(manager.GetText(L"Greeting"), c.greeting);
        EXPECT_EQ(manager.GetText(L"Colour"), c.colour);
        EXPECT_EQ(manager.GetText(L"Farewell"), L"Goodbye");
        EXPECT_EQ(manager.GetText(L"Formula"), L"a=b=c");
    }
}

// Run by ctest once per locale, with LC_ALL set and TILEBAY_TEST_CULTURE naming the culture that
// Wine must report for it.
TEST(UserLocale, FollowsTheLocaleOfTheEnvironment) {
    const char* expected = std::getenv("TILEBAY_TEST_CULTURE");
    if (expected == nullptr) {
        GTEST_SKIP() << "TILEBAY_TEST_CULTURE is not set";
    }
    CultureManager manager(ReadUserLocale());
    EXPECT_EQ(manager.GetCulture(), std::wstring(expected, expected + std::strlen(expected)));
    LoadCultureTexts(manager, L"CultureText");
    ExpectProgramTexts(manager, std::string(expected) == "zh_CN");
}
