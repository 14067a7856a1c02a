#include "foundation/win32/FileAppender.h"

#include "foundation/logging/LogLine.h"

#include <algorithm>
#include <sstream>

namespace Tessel::Common::Logging {

namespace {

constexpr DWORD ShareWithOthers = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A whole log line, as the pipeline writes it, saying what could not be written.
std::string DroppedLine(std::size_t lines, std::size_t bytes) {
    std::wostringstream text;
    WriteLogLinePrefix(text, CurrentThreadNumber(), CurrentLogTimestamp(), "ERR", "FileAppender::Write");
    text << lines << L" lines (" << bytes << L" bytes) of the log could not be written and were dropped\n";
    const std::wstring line = text.str();
    std::string out;
    Utf8LineEncoder encoder;
    encoder.Encode(line.data(), line.size(), out);
    encoder.Finish(out);
    return out;
}

} // namespace

FileAppender::FileAppender()
    : mBuffer([this](const char* bytes, std::size_t count) { return Take(bytes, count); }), mStream(&mBuffer) {
    mStream.setstate(std::ios::badbit);
}

FileAppender::~FileAppender() {
    if (!mClosed) {
        Close();
    }
}

void FileAppender::Open() {
    if (mFileName.empty() || mClosed) {
        return;
    }
    mOpened = true;
    mStream.clear();
    if (!mFile) {
        // FILE_APPEND_DATA alone: every write lands at the current end, also when another
        // process appends to the same file.
        mFile.Reset(CreateFileW(mFileName.c_str(), FILE_APPEND_DATA, ShareWithOthers, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    }
}

bool FileAppender::OpenNew(const std::wstring& fileName, DWORD& error) {
    UniqueFileHandle file(CreateFileW(fileName.c_str(), FILE_APPEND_DATA, ShareWithOthers, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    error = ERROR_SUCCESS;
    mFileName = fileName;
    mFile = std::move(file);
    Open();
    return true;
}

void FileAppender::Close() {
    if (mClosed) {
        return;
    }
    if (mOpened) {
        mBuffer.Finish();
        mNextAttempt = 0;
        Flush();
    }
    mClosed = true;
    mFile.Reset();
    mStream.setstate(std::ios::badbit);
}

bool FileAppender::Take(const char* bytes, std::size_t count) {
    if (mClosed || !mOpened) {
        return false;
    }
    // What is kept goes first, when the file takes it now.
    Flush();
    if (mDroppedBytes == 0 && mPending.size() + count <= MaxPendingBytes) {
        mPending.append(bytes, count);
        Flush();
    } else {
        // Once lines are dropped, later ones are too until the kept ones are written: the gap is
        // one, and its note stands where it is.
        mDroppedBytes += count;
        ++mDroppedLines;
    }
    // The stream never fails for the file's sake: what it could not take is kept or counted.
    return true;
}

bool FileAppender::Flush() {
    if (mPending.empty() && mDroppedBytes == 0) {
        return true;
    }
    const unsigned long long now = GetTickCount64();
    if (now < mNextAttempt) {
        return false;
    }
    if (!mFile) {
        mFile.Reset(CreateFileW(mFileName.c_str(), FILE_APPEND_DATA, ShareWithOthers, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    bool ok = false;
    while (mFile) {
        const std::size_t written = WriteBytes(mPending.data(), mPending.size());
        mPending.erase(0, written);
        if (!mPending.empty()) {
            break;
        }
        if (mDroppedBytes == 0) {
            ok = true;
            break;
        }
        // The note of what was dropped takes the place of the lines it stands for.
        mPending = DroppedLine(mDroppedLines, mDroppedBytes);
        mDroppedBytes = 0;
        mDroppedLines = 0;
    }
    mNextAttempt = ok ? 0 : now + RetryIntervalMs;
    return ok;
}

std::size_t FileAppender::WriteBytes(const char* bytes, std::size_t count) {
    std::size_t total = 0;
    while (total < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - total, 1u << 20));
        DWORD written = 0;
        const BOOL done = WriteFile(mFile.Get(), bytes + total, chunk, &written, nullptr);
        total += written;
        if (!done || written == 0) {
            break;
        }
    }
    return total;
}

} // namespace Tessel::Common::Logging
