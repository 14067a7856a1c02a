#include "model/LayoutArchive.h"

#include "support/MemoryFileStore.h"
#include "support/ZipBytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

using TestSupport::Put16;
using TestSupport::Put32;
using TestSupport::RawDeflate;

namespace {

const std::wstring Data = L"C:\\Docs\\Tilebay\\1.0\\Data";

const std::string Store = "[Group]\r\nGroupCount=2\r\n"
                          "[Group-0]\r\nX=16\r\nY=40\r\nColumn=4\r\nIsLargeIcon=0\r\nIsTitleVisible=1\r\n"
                          "BackgroundIndex=3\r\nLinkCount=2\r\n"
                          "[Group-0-Link-0]\r\nLnk=zzz1.lnk\r\n"
                          "[Group-0-Link-1]\r\nLnk=zzz2.lnk\r\nIsShowingToolTip=0\r\n"
                          "[Group-1]\r\nX=400\r\nY=48\r\nLinkCount=1\r\n"
                          "[Group-1-Link-0]\r\nLnk=zzz1.lnk\r\n";

struct Item {
    std::string name;
    std::string content;
    bool deflate = false;
    // The uncompressed size both headers declare, when not the content's.
    std::uint32_t declaredSize = 0;
};

std::string Fields(const Item& item, const std::string& data) {
    std::string out;
    Put16(out, 20);
    Put16(out, 0x0800);
    Put16(out, item.deflate ? 8 : 0);
    Put16(out, 0x6000);
    Put16(out, 0x5821);
    Put32(out, static_cast<std::uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(item.content.data()),
                                                static_cast<uInt>(item.content.size()))));
    Put32(out, static_cast<std::uint32_t>(data.size()));
    Put32(out, item.declaredSize ? item.declaredSize : static_cast<std::uint32_t>(item.content.size()));
    Put16(out, static_cast<std::uint32_t>(item.name.size()));
    Put16(out, 0);
    return out;
}

std::string Build(const std::vector<Item>& items, std::size_t entriesClaimed = 0) {
    std::string zip;
    std::string central;
    for (const Item& item : items) {
        const std::string data = item.deflate ? RawDeflate(item.content) : item.content;
        const std::uint32_t offset = static_cast<std::uint32_t>(zip.size());
        Put32(zip, 0x04034b50);
        zip += Fields(item, data) + item.name + data;
        Put32(central, 0x02014b50);
        Put16(central, 20);
        central += Fields(item, data);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, 0);
        Put32(central, offset);
        central += item.name;
    }
    const std::uint32_t centralOffset = static_cast<std::uint32_t>(zip.size());
    zip += central;
    const std::uint32_t count = static_cast<std::uint32_t>(entriesClaimed ? entriesClaimed : items.size());
    Put32(zip, 0x06054b50);
    Put32(zip, 0);
    Put16(zip, count);
    Put16(zip, count);
    Put32(zip, static_cast<std::uint32_t>(central.size()));
    Put32(zip, centralOffset);
    Put16(zip, 0);
    return zip;
}

// A store of one group naming the good shortcut and then name.
std::string StoreNaming(const std::string& name) {
    return "[Group]\r\nGroupCount=1\r\n[Group-0]\r\nLinkCount=2\r\n[Group-0-Link-0]\r\nLnk=good.lnk\r\n"
           "[Group-0-Link-1]\r\nLnk=" +
           name + "\r\n";
}

std::vector<std::wstring> LinkNames(const LayoutArchive::ImportResult& result) {
    std::vector<std::wstring> names;
    for (const auto& group : result.groups) {
        for (const auto& link : group.links) {
            names.push_back(link.name);
        }
    }
    return names;
}

std::wstring AllSkipped(const LayoutArchive::ImportResult& result) {
    std::wstring text;
    for (const std::wstring& line : result.skipped) {
        text += line + L"\n";
    }
    return text;
}

TEST(LayoutArchive, ExportedLayoutImportsAsTheSameGroupsAndShortcutFiles) {
    TestSupport::MemoryFileStore files;
    files.MakeFolder(Data);
    files.Write(Data + L"\\groups.txt", Store);
    files.Write(Data + L"\\zzz1.lnk", "shortcut one");
    files.Write(Data + L"\\zzz2.lnk", std::string(5000, 'x'));
    files.Write(Data + L"\\unrelated.lnk", "named by no group");

    const auto exported = LayoutArchive::Export(files, Data, {2026, 12, 9, 10, 30, 0});
    ASSERT_TRUE(exported.Ok()) << exported.error;
    EXPECT_EQ(exported.groups, 2u);
    EXPECT_EQ(exported.shortcuts, 2u) << "each file once, however many groups name it";

    const auto imported = LayoutArchive::Import(exported.zip, files);
    ASSERT_TRUE(imported.Ok()) << imported.error;
    EXPECT_TRUE(imported.skipped.empty()) << AllSkipped(imported);
    ASSERT_EQ(imported.groups.size(), 2u);
    const auto& first = imported.groups[0];
    EXPECT_EQ(first.settings.x, 16);
    EXPECT_EQ(first.settings.y, 40);
    EXPECT_EQ(first.settings.column, 4);
    EXPECT_FALSE(first.settings.isLargeIcon);
    EXPECT_TRUE(first.settings.isTitleVisible);
    EXPECT_EQ(first.settings.backgroundIndex, 3);
    ASSERT_EQ(first.links.size(), 2u);
    EXPECT_EQ(first.links[0].bytes, "shortcut one");
    EXPECT_TRUE(first.links[0].showToolTip);
    EXPECT_EQ(first.links[1].bytes, std::string(5000, 'x'));
    EXPECT_FALSE(first.links[1].showToolTip);
    EXPECT_EQ(imported.groups[1].settings.x, 400);
    EXPECT_EQ(imported.groups[1].links.at(0).bytes, "shortcut one");
}

TEST(LayoutArchive, ExportWithoutAStoreFailsAndSaysWhy) {
    TestSupport::MemoryFileStore files;
    files.MakeFolder(Data);
    const auto exported = LayoutArchive::Export(files, Data, {});
    EXPECT_FALSE(exported.Ok());
    EXPECT_NE(exported.error.find(L"groups.txt"), std::wstring::npos);
}

// Each hostile archive: either refused whole with a reason, or read with the good shortcut kept,
// the hostile one left out and a line that says why.
TEST(LayoutArchive, HostileArchivesKeepOnlyWhatIsSafeAndSayWhy) {
    TestSupport::MemoryFileStore decoder;
    const Item good{"good.lnk", "good shortcut"};
    const auto withStore = [&](const std::string& name, std::vector<Item> extra) {
        std::vector<Item> items{{"groups.txt", StoreNaming(name)}, good};
        items.insert(items.end(), extra.begin(), extra.end());
        return Build(items);
    };
    std::vector<Item> many{{"groups.txt", StoreNaming("zzz1.lnk")}, good};
    for (int i = 0; i < 100000; ++i) {
        many.push_back({"a" + std::to_string(i) + ".lnk", ""});
    }
    std::string truncated = withStore("zzz1.lnk", {{"zzz1.lnk", "x"}});
    truncated.resize(truncated.size() - 30);

    const struct {
        const char* what;
        std::string zip;
        bool refusedWhole;
        const wchar_t* reasonContains;
    } cases[] = {
        {"absolute name", withStore("C:\\evil.lnk", {{"C:\\evil.lnk", "evil"}, {"/etc/evil.lnk", "evil"}}), false,
         L"evil.lnk"},
        {"parent folder", withStore("..\\..\\evil.lnk", {{"../../evil.lnk", "evil"}, {"..\\evil.lnk", "e"}}), false,
         L"evil.lnk"},
        {"folder in name", withStore("sub\\evil.lnk", {{"sub/evil.lnk", "evil"}}), false, L"evil.lnk"},
        {"device name", withStore("CON.lnk", {{"CON.lnk", "evil"}}), false, L"CON.lnk"},
        {"1 GB declared", withStore("big.lnk", {{"big.lnk", "small", false, 1u << 30}}), false, L"big.lnk"},
        {"1000:1 ratio", withStore("bomb.lnk", {{"bomb.lnk", std::string(10u << 20, '\0'), true}}), false, L"bomb.lnk"},
        {"duplicate names", withStore("twice.lnk", {{"twice.lnk", "first"}, {"TWICE.lnk", "second"}}), false,
         L"TWICE.lnk"},
        {"100,000 entries", Build(many), true, L""},
        {"truncated central directory", truncated, true, L""},
        {"no store", Build({good}), true, L"groups.txt"},
        {"not an archive", std::string("[Group]\r\nGroupCount=1\r\n"), true, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto result = LayoutArchive::Import(c.zip, decoder);
        if (c.refusedWhole) {
            EXPECT_FALSE(result.Ok());
            EXPECT_TRUE(result.groups.empty());
            EXPECT_NE(result.error.find(c.reasonContains), std::wstring::npos) << result.error;
            continue;
        }
        ASSERT_TRUE(result.Ok()) << result.error;
        const auto names = LinkNames(result);
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(names[0], L"good.lnk");
        for (const std::wstring& name : names) {
            EXPECT_TRUE(name == L"good.lnk" || name == L"twice.lnk") << name;
        }
        for (const auto& group : result.groups) {
            for (const auto& link : group.links) {
                EXPECT_NE(link.bytes, "evil");
                EXPECT_NE(link.bytes, "second");
            }
        }
        EXPECT_NE(AllSkipped(result).find(c.reasonContains), std::wstring::npos) << AllSkipped(result);
    }
}

} // namespace
