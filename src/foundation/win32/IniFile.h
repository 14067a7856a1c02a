#pragma once

#include "foundation/ini/IniDocument.h"

#include <string>
#include <string_view>

namespace Tessel::Common {

// An INI file on disk: read whole into an IniDocument (ANSI, or UTF-16 or UTF-8 by their byte
// order mark), changed in memory, and written back whole in one atomic replace.
class IniFile {
public:
    // Larger files are not INI files this program wrote; they are not read.
    static constexpr unsigned long long MaxFileSize = 64ull * 1024 * 1024;

    explicit IniFile(std::wstring path);

    const std::wstring& GetPath() const { return mPath; }
    IniDocument& Document() { return mDocument; }
    const IniDocument& Document() const { return mDocument; }

    // Reads the file into the document. A missing file reads as an empty document. A file that
    // another program holds exclusively is tried again for about a second. A file that cannot be
    // read (held for longer, too large) also leaves the document empty, returns false and is
    // logged.
    bool Load();
    // How many bytes the last Load read: 0 for a missing, empty or unreadable file.
    std::size_t BytesRead() const { return mBytesRead; }

    // Replaces the file by the document's text; throws Exception "Unable to write to <path>"
    // when that fails, and then the file on disk is still the old one.
    void Save() const;
    // Whether the file on disk holds exactly what Save would write.
    bool IsSavedAsIs() const;

    // The bytes written for a text: the ANSI code page when every character fits it, else
    // UTF-16LE with a byte order mark, which the profile functions read as well.
    static std::string Encode(std::wstring_view text);
    static std::wstring Decode(std::string_view bytes);

private:
    std::wstring mPath;
    IniDocument mDocument;
    std::size_t mBytesRead = 0;
};

} // namespace Tessel::Common
