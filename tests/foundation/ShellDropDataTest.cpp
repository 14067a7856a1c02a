#include "foundation/shell/ShellDropData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace Tessel::Common::Shell;

namespace {

using Bytes = std::vector<std::uint8_t>;

// An item of an ID list: its 16-bit size, then payload bytes.
Bytes Item(const std::string& payload) {
    const std::size_t size = payload.size() + 2;
    Bytes item(size, 0);
    item[0] = static_cast<std::uint8_t>(size);
    item[1] = static_cast<std::uint8_t>(size >> 8);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        item[i + 2] = static_cast<std::uint8_t>(payload[i]);
    }
    return item;
}

Bytes List(std::initializer_list<Bytes> items) {
    Bytes list;
    for (const Bytes& item : items) {
        list.insert(list.end(), item.begin(), item.end());
    }
    list.push_back(0);
    list.push_back(0);
    return list;
}

void PutU32(Bytes& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// A "Shell IDList Array" block as the shell lays it out: count, offsets, then the lists.
Bytes IdListArray(const Bytes& parent, const std::vector<Bytes>& items) {
    Bytes block;
    PutU32(block, static_cast<std::uint32_t>(items.size()));
    std::uint32_t at = static_cast<std::uint32_t>(4 + 4 * (items.size() + 1));
    PutU32(block, at);
    at += static_cast<std::uint32_t>(parent.size());
    for (const Bytes& item : items) {
        PutU32(block, at);
        at += static_cast<std::uint32_t>(item.size());
    }
    block.insert(block.end(), parent.begin(), parent.end());
    for (const Bytes& item : items) {
        block.insert(block.end(), item.begin(), item.end());
    }
    return block;
}

// Every test hands the readers a heap block of exactly its size, so the sanitizers see any read
// past its end.
std::optional<std::size_t> SizeOf(const Bytes& list) {
    return GetIdListSize(list.data(), list.size());
}

} // namespace

TEST(IdList, SizeCountsEveryItemAndTheTerminator) {
    const struct {
        const char* name;
        Bytes list;
        std::optional<std::size_t> size;
    } cases[] = {
        {"empty list", List({}), 2},
        {"one item", List({Item("ab")}), 6},
        {"two items", List({Item("abc"), Item("")}), 9},
        {"item of exactly its size field", List({Item("")}), 4},
        {"bytes after the terminator", Bytes{2, 0, 0, 0, 9, 9}, 4},
        {"no terminator", Item("abc"), std::nullopt},
        {"half a terminator", Bytes{4, 0, 1, 2, 0}, std::nullopt},
        {"item longer than the block", Bytes{9, 0, 1, 2, 0, 0}, std::nullopt},
        {"item shorter than its size field", Bytes{1, 0, 0, 0}, std::nullopt},
        {"no bytes at all", Bytes{}, std::nullopt},
    };
    for (const auto& c : cases) {
        // An empty vector may have no storage; give it a real, empty one.
        const Bytes heap = c.list.empty() ? Bytes(1, 0) : c.list;
        EXPECT_EQ(GetIdListSize(heap.data(), c.list.size()), c.size) << c.name;
    }
    EXPECT_EQ(GetIdListSize(nullptr, 0), std::optional<std::size_t>(0)) << "no list";
    EXPECT_EQ(GetIdListSize(nullptr, 100), std::optional<std::size_t>(0)) << "no list";
}

TEST(IdList, SizesBeyondSixteenBitsDoNotWrap) {
    Bytes list;
    for (int i = 0; i < 3; ++i) {
        const Bytes item = Item(std::string(30000, 'x'));
        list.insert(list.end(), item.begin(), item.end());
    }
    list.push_back(0);
    list.push_back(0);
    EXPECT_EQ(SizeOf(list), std::optional<std::size_t>(3 * 30002 + 2));
}

TEST(IdList, ConcatenationJoinsTheItemsUnderOneTerminator) {
    const Bytes parent = List({Item("p1"), Item("p22")});
    const Bytes child = List({Item("c")});
    const Bytes empty = List({});
    const struct {
        const char* name;
        const Bytes* parent;
        const Bytes* child;
        Bytes joined;
    } cases[] = {
        {"parent and child", &parent, &child, List({Item("p1"), Item("p22"), Item("c")})},
        {"null parent", nullptr, &child, child},
        {"null child", &parent, nullptr, parent},
        {"both null", nullptr, nullptr, List({})},
        {"empty parent (the desktop)", &empty, &child, child},
        {"empty child", &parent, &empty, parent},
        {"both empty", &empty, &empty, List({})},
    };
    for (const auto& c : cases) {
        const auto joined = ConcatIdLists(c.parent ? c.parent->data() : nullptr, c.parent ? c.parent->size() : 0,
                                          c.child ? c.child->data() : nullptr, c.child ? c.child->size() : 0);
        ASSERT_TRUE(joined.has_value()) << c.name;
        EXPECT_EQ(*joined, c.joined) << c.name;
        EXPECT_EQ(SizeOf(*joined), std::optional<std::size_t>(c.joined.size())) << c.name;
    }
    const Bytes broken{5, 0, 1};
    EXPECT_FALSE(ConcatIdLists(broken.data(), broken.size(), child.data(), child.size()));
    EXPECT_FALSE(ConcatIdLists(parent.data(), parent.size(), broken.data(), broken.size()));
}

TEST(IdListArray, FirstItemIsTheParentJoinedWithTheFirstRelativeList) {
    const Bytes folder = List({Item("drive"), Item("folder")});
    const IdListArrayItem one = FirstItemOfIdListArray(IdListArray(folder, {List({Item("file1")})}));
    ASSERT_TRUE(one.Ok()) << std::string(one.error.begin(), one.error.end());
    EXPECT_EQ(one.count, 1u);
    EXPECT_EQ(one.idList, List({Item("drive"), Item("folder"), Item("file1")}));

    const IdListArrayItem three = FirstItemOfIdListArray(
        IdListArray(folder, {List({Item("a"), Item("b")}), List({Item("second")}), List({Item("third")})}));
    ASSERT_TRUE(three.Ok());
    EXPECT_EQ(three.count, 3u);
    EXPECT_EQ(three.idList, List({Item("drive"), Item("folder"), Item("a"), Item("b")}));

    // A virtual item right under the desktop, whose list is empty.
    const IdListArrayItem desktop = FirstItemOfIdListArray(IdListArray(List({}), {List({Item("panel")})}));
    ASSERT_TRUE(desktop.Ok());
    EXPECT_EQ(desktop.idList, List({Item("panel")}));
}

TEST(IdListArray, MalformedBlocksAreRefusedWithTheReason) {
    const Bytes good = IdListArray(List({Item("p")}), {List({Item("c")})});
    auto with = [&good](std::size_t at, std::uint32_t value) {
        Bytes block = good;
        for (int i = 0; i < 4; ++i)
            block[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        return block;
    };
    Bytes noTerminator = good;
    noTerminator.resize(noTerminator.size() - 2);
    Bytes itemPastTheEnd = good;
    itemPastTheEnd[itemPastTheEnd.size() - 5] = 0x40; // the child item claims 64 bytes

    const struct {
        const char* name;
        Bytes block;
        std::wstring error;
    } cases[] = {
        {"empty", Bytes{}, L"too short for its item count"},
        {"three bytes", Bytes{1, 0, 0}, L"too short for its item count"},
        {"count of 0", with(0, 0), L"holds no items"},
        {"count beyond the block", with(0, 5), L"too short for 5 items"},
        {"count near 2^32", with(0, 0xFFFFFFFFu), L"too short for 4294967295 items"},
        {"header only, cut", Bytes(good.begin(), good.begin() + 10), L"too short for 1 items"},
        {"parent offset at the end", with(4, static_cast<std::uint32_t>(good.size())), L"outside the block"},
        {"item offset far out", with(8, 0x7FFFFFF0u), L"outside the block"},
        {"list without terminator", noTerminator, L"does not end inside it"},
        {"item longer than the block", itemPastTheEnd, L"does not end inside it"},
    };
    for (const auto& c : cases) {
        const IdListArrayItem result = FirstItemOfIdListArray(c.block);
        EXPECT_FALSE(result.Ok()) << c.name;
        EXPECT_NE(result.error.find(c.error), std::wstring::npos)
            << c.name << ": " << std::string(result.error.begin(), result.error.end());
        EXPECT_TRUE(result.idList.empty()) << c.name;
    }
}

namespace {

Bytes DropFiles(std::uint32_t namesAt, bool wide, const std::u16string& names) {
    Bytes block;
    PutU32(block, namesAt);
    PutU32(block, 0);
    PutU32(block, 0);
    PutU32(block, 0);
    PutU32(block, wide ? 1 : 0);
    while (block.size() < namesAt)
        block.push_back(0);
    for (const char16_t c : names) {
        block.push_back(static_cast<std::uint8_t>(c));
        if (wide)
            block.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return block;
}

} // namespace

TEST(DropFiles, SoundListsPassAndBrokenOnesSayWhy) {
    const std::u16string three(u"C:\\a.txt\0C:\\b.txt\0C:\\c.txt\0\0", 28);
    const struct {
        const char* name;
        Bytes block;
        std::wstring error; // empty: sound
    } cases[] = {
        {"three wide names", DropFiles(20, true, three), L""},
        {"three ANSI names", DropFiles(20, false, three), L""},
        {"names after a gap", DropFiles(24, true, three), L""},
        {"no names", DropFiles(20, true, std::u16string(u"\0\0", 2)), L""},
        {"no names and a single NUL", DropFiles(20, true, std::u16string(u"\0", 1)), L"does not end"},
        {"short header", Bytes(12, 0), L"too short for its header"},
        {"names inside the header", DropFiles(8, true, three), L"do not start inside"},
        {"names beyond the block",
         [&] {
             Bytes b = DropFiles(20, true, three);
             b[0] = 0xFF;
             return b;
         }(),
         L"do not start inside"},
        {"no closing NUL", DropFiles(20, true, std::u16string(u"C:\\a.txt\0C:\\b", 13)), L"does not end"},
        {"one NUL only", DropFiles(20, true, std::u16string(u"C:\\a.txt\0", 9)), L"does not end"},
        {"odd byte left over",
         [&] {
             Bytes b = DropFiles(20, true, std::u16string(u"C:\\a.txt\0", 9));
             b.push_back(0);
             return b;
         }(),
         L"does not end"},
    };
    for (const auto& c : cases) {
        const std::wstring error = CheckDropFiles(c.block);
        if (c.error.empty()) {
            EXPECT_EQ(error, L"") << c.name;
        } else {
            EXPECT_NE(error.find(c.error), std::wstring::npos)
                << c.name << ": " << std::string(error.begin(), error.end());
        }
    }
}
