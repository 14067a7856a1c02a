#pragma once

#include "foundation/logging/IAppender.h"
#include "foundation/logging/Utf8OutputBuffer.h"
#include "foundation/win32/UniqueHandle.h"

#include <ostream>
#include <string>

namespace Tessel::Common::Logging {

// Appends lines to one log file, as UTF-8 without byte-order mark and with CR LF line ends,
// so every character of a message reaches the file. The stream is in its failed state until
// Open succeeds; a failed stream silently drops whatever is written to it.
class FileAppender : public IAppender {
public:
    FileAppender();
    ~FileAppender() override;

    FileAppender(const FileAppender&) = delete;
    FileAppender& operator=(const FileAppender&) = delete;

    void SetFileName(const std::wstring& fileName) { mFileName = fileName; }
    const std::wstring& GetFileName() const { return mFileName; }

    // Opens the file for appending, creating it when missing. Other processes may append too.
    void Open();
    // Flushes and closes the file; a failure only puts the stream into its failed state.
    void Close();
    bool IsClosed() const { return mClosed; }

    std::wostream& GetStream() override { return mStream; }

private:
    bool WriteBytes(const char* bytes, std::size_t count);

    bool mClosed = false;
    UniqueFileHandle mFile;
    Utf8OutputBuffer mBuffer;
    std::wostream mStream;
    std::wstring mFileName;
};

} // namespace Tessel::Common::Logging
