#pragma once

#include "foundation/logging/IAppender.h"
#include "foundation/logging/Utf8OutputBuffer.h"
#include "foundation/win32/UniqueHandle.h"

#include <windows.h>

#include <cstddef>
#include <ostream>
#include <string>

namespace Tessel::Common::Logging {

// Appends lines to one log file, as UTF-8 without byte-order mark and with CR LF line ends,
// so every character of a message reaches the file. The stream is in its failed state until
// Open is called, and after Close.
//
// A line the file cannot take now (a full disk, a file that cannot be opened yet) is kept, up to
// MaxPendingBytes, and written before the next line once the file takes lines again; lines
// beyond that are dropped, and a line in their place says how many. Failing to write never
// stops the program.
class FileAppender : public IAppender {
public:
    static constexpr std::size_t MaxPendingBytes = 1024 * 1024;
    // While the file refuses lines, it is tried again at most this often.
    static constexpr unsigned long RetryIntervalMs = 1000;

    FileAppender();
    ~FileAppender() override;

    FileAppender(const FileAppender&) = delete;
    FileAppender& operator=(const FileAppender&) = delete;

    void SetFileName(const std::wstring& fileName) { mFileName = fileName; }
    const std::wstring& GetFileName() const { return mFileName; }

    // Opens the file for appending, creating it when missing. Other processes may append too.
    // A file that cannot be opened now is opened later, when lines come.
    void Open();
    // Makes the file under the given name, which must not exist yet, and opens it; false with
    // the system's error when that fails (ERROR_FILE_EXISTS: another run has that name).
    bool OpenNew(const std::wstring& fileName, DWORD& error);
    // Writes what is still kept, then closes the file; what cannot be written then is lost.
    void Close();
    bool IsClosed() const { return mClosed; }

    // Bytes kept for the file, and bytes dropped since the last line that reached it.
    std::size_t PendingBytes() const { return mPending.size(); }
    std::size_t DroppedBytes() const { return mDroppedBytes; }

    std::wostream& GetStream() override { return mStream; }

private:
    bool Take(const char* bytes, std::size_t count);
    // Writes what is kept (and the note of what was dropped); false when the file refused.
    bool Flush();
    // Writes as much as the file takes; returns how many bytes that was.
    std::size_t WriteBytes(const char* bytes, std::size_t count);

    bool mOpened = false;
    bool mClosed = false;
    UniqueFileHandle mFile;
    std::string mPending;
    std::size_t mDroppedBytes = 0;
    std::size_t mDroppedLines = 0;
    unsigned long long mNextAttempt = 0;
    Utf8OutputBuffer mBuffer;
    std::wostream mStream;
    std::wstring mFileName;
};

} // namespace Tessel::Common::Logging
