// Fuzz target for the plan of what loading a group store visits. Checked on every input, with
// the counts the store itself gives:
// - the groups are ascending, below GroupCount, and at most 1000 of them lack a section;
// - every group's shortcut sections are ascending, below its LinkCount, and have a section;
// - the sections the layout gives are those a look-up by name reads;
// - so the work loading does follows the size of the input, whatever numbers it holds.

#include "support/FuzzChecks.h"

#include "foundation/ini/IniDocument.h"
#include "foundation/text/TextEncoding.h"
#include "model/GroupStoreLayout.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using Tessel::Common::DecodeText;
using Tessel::Common::IniDocument;

using TestSupport::Check;
using TestSupport::Latin1;

namespace {

constexpr std::size_t MaxWithoutSection = 1000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const IniDocument store = IniDocument::Parse(DecodeText(bytes, Latin1));
    const GroupStoreLayout layout(store);
    const int groupCount = store.ReadInteger(L"Group", L"GroupCount", 0);

    std::size_t withoutSection = 0;
    std::size_t previous = 0;
    bool first = true;
    for (const std::size_t g : layout.Groups(groupCount, MaxWithoutSection)) {
        Check(first || g > previous);
        Check(static_cast<long long>(g) < groupCount);
        first = false;
        previous = g;
        const std::wstring section = L"Group-" + std::to_wstring(g);
        Check(layout.GroupSection(g) == store.FindSectionId(section));
        if (!store.SectionExists(section)) {
            Check(++withoutSection <= MaxWithoutSection);
            continue;
        }
        const int linkCount = store.ReadInteger(section, L"LinkCount", 0);
        bool firstLink = true;
        std::size_t previousLink = 0;
        for (const auto& [k, linkSection] : layout.LinkSections(g, linkCount)) {
            Check(linkSection == store.FindSectionId(section + L"-Link-" + std::to_wstring(k)));
            Check(firstLink || k > previousLink);
            Check(static_cast<long long>(k) < linkCount);
            Check(store.SectionExists(section + L"-Link-" + std::to_wstring(k)));
            firstLink = false;
            previousLink = k;
            IsShortcutFileName(store.ReadString(section + L"-Link-" + std::to_wstring(k), L"Lnk", L""));
        }
    }
    return 0;
}
