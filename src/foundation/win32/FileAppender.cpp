#include "foundation/win32/FileAppender.h"

namespace Tessel::Common::Logging {

FileAppender::FileAppender()
    : mBuffer([this](const char* bytes, std::size_t count) { return WriteBytes(bytes, count); }), mStream(&mBuffer) {
    mStream.setstate(std::ios::badbit);
}

FileAppender::~FileAppender() {
    if (!mClosed) {
        Close();
    }
}

void FileAppender::Open() {
    if (mFileName.empty() || mFile) {
        return;
    }
    // FILE_APPEND_DATA alone: every write lands at the current end, also when a second process
    // that started in the same second appends to the same file.
    mFile.Reset(CreateFileW(mFileName.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (mFile) {
        mStream.clear();
    }
}

void FileAppender::Close() {
    mClosed = true;
    bool ok = mStream.good() && mBuffer.Finish();
    if (mFile) {
        ok = mFile.Reset() && ok;
    }
    if (!ok) {
        mStream.setstate(std::ios::badbit);
    }
}

bool FileAppender::WriteBytes(const char* bytes, std::size_t count) {
    if (!mFile) {
        return false;
    }
    while (count > 0) {
        const DWORD chunk = count > 0x10000000 ? 0x10000000 : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!WriteFile(mFile.Get(), bytes, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes += written;
        count -= written;
    }
    return true;
}

} // namespace Tessel::Common::Logging
