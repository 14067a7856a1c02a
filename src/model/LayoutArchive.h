#pragma once

#include "foundation/archive/ZipArchive.h"
#include "foundation/archive/ZipWriter.h"
#include "model/IFileStore.h"
#include "model/StoreSummary.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A layout carried in one zip file: "groups.txt" and the shortcut files it names, flat.
namespace LayoutArchive {

inline constexpr const wchar_t* StoreEntryName = L"groups.txt";

// Bounds of an archive to import: far above a layout of thousands of shortcuts, far below what
// could hurt the program. Shortcut files are small; the store is the largest entry.
Tessel::Common::Archive::ZipLimits ImportLimits();

struct ExportResult {
    std::string zip;
    std::size_t groups = 0;
    std::size_t shortcuts = 0;
    std::wstring error;

    bool Ok() const { return error.empty(); }
};

// The archive of the layout in linksFolder: its store as it is on disk and every shortcut file
// the store names that exists. Fails without a store.
ExportResult Export(IFileStore& files, const std::wstring& linksFolder, const Tessel::Common::Archive::ZipTime& time);

struct ImportedLink {
    std::wstring name;
    std::string bytes;
    bool showToolTip = true;
};

struct ImportedGroup {
    StoreSummary::Group settings;
    std::vector<ImportedLink> links;
};

struct ImportResult {
    std::vector<ImportedGroup> groups;
    // Log lines of what was left out and why.
    std::vector<std::wstring> skipped;
    std::wstring error;

    bool Ok() const { return error.empty(); }
    std::size_t ShortcutCount() const;
};

// The groups of an archive, each shortcut with the bytes of its file. The archive is untrusted:
// entries ReadZip refuses are skipped, names that are not shortcut file names and entries the
// store does not name are left out, and a store entry naming a file the archive lacks is skipped;
// each with its reason. Fails as a whole when the archive cannot be read or holds no store.
ImportResult Import(std::string_view zip, IFileStore& decoder);

} // namespace LayoutArchive
