#pragma once

#include <windows.h>

#include <objidl.h>
#include <shtypes.h>

#include <functional>
#include <string>

// Writes the shortcut files of the links folder: under fresh names, pointing at a path, at an item
// ID list, or at the first thing a drop from the shell brings. Used on the UI thread, where COM is
// initialised.
class ShortcutFactory {
public:
    // Creates an empty file with a unique temporary name in a folder and returns its path; empty
    // when the system refuses.
    using TempFileMaker = std::function<std::wstring(const std::wstring& folder)>;
    // The system's temporary file: "zzz", hexadecimal digits and ".tmp".
    static std::wstring MakeTempFile(const std::wstring& folder);

    // A new shortcut path in folder: a temporary name with ".lnk" in place of its extension, whose
    // file did not exist. The file is created empty, so the name stays taken until the shortcut is
    // written over it. A temporary name is unique only among ".tmp" files, so names are drawn
    // until the ".lnk" is free; the temporary files are removed again. Empty, with the reason in
    // problem, when no name could be had.
    static std::wstring NewShortcutPath(const std::wstring& folder, std::wstring& problem,
                                        const TempFileMaker& makeTemp = MakeTempFile);
    // As NewShortcutPath, with another extension (".url", say) in place of ".lnk".
    static std::wstring NewFilePath(const std::wstring& folder, const std::wstring& extension, std::wstring& problem,
                                    const TempFileMaker& makeTemp = MakeTempFile);

    static HRESULT CreateShortcutToPath(const std::wstring& lnkPath, const std::wstring& targetPath);
    static HRESULT CreateShortcutToIdList(const std::wstring& lnkPath, PCIDLIST_ABSOLUTE idList);

    // Writes the shortcut at lnkPath for the first item of a drop: the first file of CF_HDROP,
    // else the first item of "Shell IDList Array". True when it was written, and outcome names what
    // it points at; false when the drop offers neither or the shell refused, and outcome says why.
    static bool CreateShortcutFromDataObject(IDataObject* data, const std::wstring& lnkPath, std::wstring& outcome);
};
