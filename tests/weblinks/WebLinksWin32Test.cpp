#include "app/Version.h"
#include "culture/CultureManager.h"
#include "culture/UserLocale.h"
#include "framework/ShowMessage.h"
#include "weblinks/AdLinkResources.h"
#include "weblinks/AutoStart.h"
#include "weblinks/WebPages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

const std::vector<std::wstring> EnglishIds = {
    L"apps",           L"antivirus",       L"antispyware", L"firewall", L"cleanhistory", L"tune",        L"dvd",
    L"videoconverter", L"videodownloader", L"recorder",    L"image",    L"shopping",     L"desktopapps", L"ebooks"};
const std::vector<std::wstring> ChineseIds = {L"hospitals",     L"loseweight", L"video",     L"games", L"netgames",
                                              L"cloth",         L"makeup",     L"jewlrry",   L"cars",  L"gift",
                                              L"eduhighschool", L"eduenglish", L"edudegree", L"stock", L"realstate",
                                              L"lottery",       L"lawyer",     L"adv"};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::vector<std::wstring> IdsOf(const AdItems& items) {
    std::vector<std::wstring> ids;
    const std::wstring prefix = L"/{App}/More.php?id=";
    for (const AdItem& item : items) {
        ids.push_back(item.Url.compare(0, prefix.size(), prefix) == 0 ? item.Url.substr(prefix.size())
                                                                      : L"?" + item.Url);
    }
    return ids;
}

std::string ResourceBytes(const wchar_t* name) {
    HRSRC resource = FindResourceW(nullptr, name, RT_RCDATA);
    if (resource == nullptr) {
        return {};
    }
    const char* data = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
    return std::string(data, SizeofResource(nullptr, resource));
}

AdItems LoadFor(const CultureLocale& locale, std::wstring* decidedBy = nullptr) {
    CultureManager culture(locale);
    return LoadAdItemsFromResources(culture, nullptr, decidedBy);
}

// Takes the shell's place for one test: the pages asked for are kept, nothing starts.
class RecordedPages {
public:
    RecordedPages() {
        mPrevious = ReplaceShellOpener([this](const ShellOpenRequest& request) { requests.push_back(request); });
    }
    ~RecordedPages() { ReplaceShellOpener(std::move(mPrevious)); }
    std::vector<ShellOpenRequest> requests;

private:
    ShellOpener mPrevious;
};

} // namespace

TEST(LinkLists, TheEnglishListHoldsItsFourteenLinksInOrder) {
    std::wstring decidedBy;
    const AdItems items = LoadFor({L"en", L"US"}, &decidedBy);
    EXPECT_EQ(decidedBy, L"LinkAd");
    EXPECT_THAT(IdsOf(items), ElementsAreArray(EnglishIds));
    for (const AdItem& item : items) {
        EXPECT_FALSE(item.Text.empty());
        EXPECT_EQ(item.Tooltip, item.Text);
    }
}

TEST(LinkLists, TheSimplifiedChineseCultureGetsItsEighteenLinksInOrder) {
    std::wstring decidedBy;
    const AdItems items = LoadFor({L"zh", L"CN"}, &decidedBy);
    EXPECT_EQ(decidedBy, L"LinkAd_zh_CN");
    EXPECT_THAT(IdsOf(items), ElementsAreArray(ChineseIds));
    for (const AdItem& item : items) {
        EXPECT_EQ(item.Tooltip, item.Text);
        EXPECT_TRUE(item.Text.find_first_of(L"abcdefghijklmnopqrstuvwxyz") == std::wstring::npos)
            << Narrow(item.Url) << " has a Chinese text";
    }
    for (const CultureLocale& other : {CultureLocale{L"zh", L"TW"}, CultureLocale{L"de", L"DE"}}) {
        EXPECT_EQ(LoadFor(other).size(), EnglishIds.size());
    }
}

TEST(LinkLists, AreUtf16TextWithItsMarkAndCrLfBetweenLines) {
    for (const wchar_t* name : {L"LINKAD", L"LINKAD_ZH_CN"}) {
        const std::string bytes = ResourceBytes(name);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
        std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        EXPECT_NE(text.back(), L'\n') << "no line end after the last line";
        std::size_t lines = 1;
        for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2)) {
            ++lines;
        }
        EXPECT_EQ(text.find(L'\n'), text.find(L"\r\n") + 1);
        EXPECT_EQ(lines % 3, 0u);
        EXPECT_EQ(text.compare(0, 5, L"Text="), 0);
    }
}

TEST(LinkLists, ALastLinkWithoutItsAddressLineIsLeftOut) {
    std::wstring decidedBy;
    const AdItems items = LoadFor({L"xx", L"YY"}, &decidedBy);
    EXPECT_EQ(decidedBy, L"LinkAd_xx_YY");
    EXPECT_THAT(items, ElementsAre(AdItem{L"One", L"One", L"/{App}/More.php?id=one"}));
}

TEST(LinkPages, ALinkOpensItsPageWithTheProgramsVersionThroughTheDefaultAction) {
    const AdItems items = LoadFor({L"en", L"US"});
    ASSERT_EQ(items.size(), 14u);
    RecordedPages pages;
    EXPECT_TRUE(OpenAdLink(items, 5));
    ASSERT_EQ(pages.requests.size(), 1u);
    const ShellOpenRequest& request = pages.requests.front();
    EXPECT_EQ(request.file, L"http://www.links.example/Tilebay/More.php?id=tune&v=" TILEBAY_VERSION_TEXT);
    EXPECT_EQ(request.file.substr(request.file.size() - 19), L"?id=tune&v=1.0.0.17");
    EXPECT_TRUE(request.extended);
    EXPECT_EQ(request.verb, L"");
    EXPECT_EQ(request.show, SW_SHOWNORMAL);

    EXPECT_FALSE(OpenAdLink(items, 14));
    EXPECT_FALSE(OpenAdLink(AdItems{}, 0));
    EXPECT_EQ(pages.requests.size(), 1u) << "no page for a link that does not exist";
}

TEST(LinkPages, TheUpdatePageOpensWithTheOpenVerb) {
    RecordedPages pages;
    OpenWebPage(L"http://www.tilebay.example/Tilebay/CheckUpdate.php?v=1.0.0.17");
    ASSERT_EQ(pages.requests.size(), 1u);
    EXPECT_EQ(pages.requests[0].file, L"http://www.tilebay.example/Tilebay/CheckUpdate.php?v=1.0.0.17");
    EXPECT_EQ(pages.requests[0].verb, L"open");
    EXPECT_EQ(pages.requests[0].show, SW_SHOWDEFAULT);
    EXPECT_FALSE(pages.requests[0].extended);
}

// Run by ctest once per locale, with LC_ALL set and TILEBAY_TEST_CULTURE naming the culture.
TEST(UserLocale, GetsTheLinkListOfItsCulture) {
    const char* expected = std::getenv("TILEBAY_TEST_CULTURE");
    if (expected == nullptr) {
        GTEST_SKIP() << "TILEBAY_TEST_CULTURE is not set";
    }
    CultureManager culture(ReadUserLocale());
    ASSERT_EQ(culture.GetCulture(), std::wstring(expected, expected + std::strlen(expected)));
    const AdItems items = LoadAdItemsFromResources(culture);
    EXPECT_THAT(IdsOf(items), ElementsAreArray(std::string(expected) == "zh_CN" ? ChineseIds : EnglishIds));
}

namespace {

// A key of its own below HKEY_CURRENT_USER for each test, removed afterwards.
class AutoStartRegistry : public ::testing::Test {
protected:
    const std::wstring mParent = L"Software\\Tilebay tests\\AutoStart " + std::to_wstring(GetCurrentProcessId());
    const std::wstring mKey = mParent + L"\\Run";
    const std::wstring mProgram = L"C:\\Program Files\\Tilebay\\Tilebay.exe";

    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, mParent.c_str()); }

    AutoStartChange Update(bool enabled, const std::wstring& program) {
        return UpdateAutoStartValue(enabled, program, HKEY_CURRENT_USER, mKey);
    }

    bool KeyExists() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, mKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    struct Value {
        std::wstring name;
        DWORD type;
        std::wstring data;
        friend bool operator==(const Value&, const Value&) = default;
    };
    friend void PrintTo(const Value& v, std::ostream* os) { *os << Narrow(v.name) << "=" << Narrow(v.data); }

    // Every value of the key, in the order the registry lists them.
    std::vector<Value> Values() {
        std::vector<Value> values;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, mKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return values;
        }
        for (DWORD i = 0;; ++i) {
            wchar_t name[256] = {};
            DWORD nameLength = 256;
            wchar_t data[1024] = {};
            DWORD dataBytes = sizeof(data) - sizeof(wchar_t);
            DWORD type = 0;
            if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataBytes) !=
                ERROR_SUCCESS) {
                break;
            }
            values.push_back(Value{name, type, type == REG_SZ ? std::wstring(data) : std::wstring()});
        }
        RegCloseKey(key);
        return values;
    }

    void Put(const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, mKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
        RegCloseKey(key);
    }
    void PutString(const std::wstring& name, const std::wstring& data) {
        Put(name, REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
};

} // namespace

TEST_F(AutoStartRegistry, EnablingWritesOneStringValueWithTheQuotedPath) {
    ASSERT_FALSE(KeyExists());
    EXPECT_EQ(Update(true, mProgram), AutoStartChange::Written);
    EXPECT_THAT(Values(), ElementsAre(Value{L"Tilebay", REG_SZ, L"\"" + mProgram + L"\""}))
        << "the key is made when it is missing";
}

TEST_F(AutoStartRegistry, EnablingAgainWithThePathInOtherLetterCaseWritesNothing) {
    PutString(L"Other", L"other.exe");
    ASSERT_EQ(Update(true, mProgram), AutoStartChange::Written);
    EXPECT_EQ(Update(true, L"c:\\PROGRAM FILES\\tilebay\\TILEBAY.exe"), AutoStartChange::Unchanged);
    EXPECT_EQ(Update(true, mProgram), AutoStartChange::Unchanged);
    EXPECT_THAT(Values(),
                ElementsAre(Value{L"Other", REG_SZ, L"other.exe"}, Value{L"Tilebay", REG_SZ, L"\"" + mProgram + L"\""}))
        << "the stored letter case shows that nothing was written";
}

TEST_F(AutoStartRegistry, TheValueFollowsTheProgramToAnotherPlace) {
    ASSERT_EQ(Update(true, mProgram), AutoStartChange::Written);
    EXPECT_EQ(Update(true, L"D:\\Apps\\Tilebay.exe"), AutoStartChange::Written);
    EXPECT_THAT(Values(), ElementsAre(Value{L"Tilebay", REG_SZ, L"\"D:\\Apps\\Tilebay.exe\""}));
}

TEST_F(AutoStartRegistry, AValueThatIsNoStringIsReplacedByThePath) {
    const DWORD number = 1;
    Put(L"Tilebay", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(Update(true, mProgram), AutoStartChange::Written);
    EXPECT_THAT(Values(), ElementsAre(Value{L"Tilebay", REG_SZ, L"\"" + mProgram + L"\""}));
}

TEST_F(AutoStartRegistry, DisablingRemovesOnlyTheProgramsValue) {
    PutString(L"Other", L"other.exe");
    ASSERT_EQ(Update(true, mProgram), AutoStartChange::Written);
    EXPECT_EQ(Update(false, L"D:\\Elsewhere\\tilebay.exe"), AutoStartChange::Deleted)
        << "the value is found by the program's name wherever the program is now";
    EXPECT_THAT(Values(), ElementsAre(Value{L"Other", REG_SZ, L"other.exe"}));
}

TEST_F(AutoStartRegistry, DisablingWhenThereIsNoValueChangesNothing) {
    EXPECT_EQ(Update(false, mProgram), AutoStartChange::Unchanged);
    EXPECT_FALSE(KeyExists()) << "a missing key is not made";
    PutString(L"Other", L"other.exe");
    EXPECT_EQ(Update(false, mProgram), AutoStartChange::Unchanged);
    EXPECT_THAT(Values(), ElementsAre(Value{L"Other", REG_SZ, L"other.exe"}));
}

namespace {

HWND FindMessageBox(DWORD thread) {
    HWND box = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t className[16] = {};
            GetClassNameW(window, className, 16);
            if (std::wstring(className) == L"#32770") {
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&box));
    return box;
}

// The texts of a box's static controls.
std::wstring StaticTexts(HWND box) {
    std::wstring texts;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM all) -> BOOL {
            wchar_t className[16] = {};
            GetClassNameW(child, className, 16);
            wchar_t text[256] = {};
            GetWindowTextW(child, text, 256);
            if (_wcsicmp(className, L"Static") == 0 && text[0] != L'\0') {
                *reinterpret_cast<std::wstring*>(all) += text;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

} // namespace

TEST(ShowMessagePos, ShowsTheTextAtThePointAndKeepsTheProgramsWindowsFromInputUntilClosed) {
    const DWORD thread = GetCurrentThreadId();
    // A window of the program that must take no input while the box is open. It is not the
    // active window (as the hidden panel is not when the prompt comes), so the box has no owner.
    const HWND other =
        CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    std::atomic<bool> done{false};
    bool found = false;
    bool otherEnabled = true;
    RECT seen{};
    std::wstring text;
    // Finds the box, notes where it is and what it says, and presses OK until the box is gone, so
    // the test never waits for a person.
    std::thread closer([&] {
        int hiddenRounds = 0;
        while (!done) {
            if (HWND box = FindMessageBox(thread)) {
                if (!found && IsWindowVisible(box)) {
                    found = true;
                    GetWindowRect(box, &seen);
                    text = StaticTexts(box);
                    otherEnabled = IsWindowEnabled(other) != FALSE;
                }
                // A box that stays hidden for ten seconds is closed all the same.
                if (found || ++hiddenRounds > 200) {
                    PostMessageW(box, WM_COMMAND, IDOK, 0);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    ShowMessagePos(L"Monthly tip: Please click OK to check update.", 200, 100);
    done = true;
    closer.join();
    ASSERT_TRUE(found);
    EXPECT_EQ(seen.left, 200);
    EXPECT_EQ(seen.top, 100);
    EXPECT_EQ(text, L"Monthly tip: Please click OK to check update.");
    EXPECT_FALSE(otherEnabled);
    EXPECT_TRUE(IsWindowEnabled(other));
    DestroyWindow(other);
}
