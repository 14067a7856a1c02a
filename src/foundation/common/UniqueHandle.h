#pragma once

#include <windows.h>

#include <utility>

namespace Tessel::Common {

// Sole owner of a kernel handle (file, mutex, event). Move-only; closes on destruction.
// The invalid value differs by kind of handle: files use INVALID_HANDLE_VALUE, most others null.
template <HANDLE (*InvalidValue)()>
class BasicUniqueHandle {
public:
    BasicUniqueHandle() = default;
    explicit BasicUniqueHandle(HANDLE handle) : mHandle(handle) {}
    ~BasicUniqueHandle() { Reset(); }

    BasicUniqueHandle(BasicUniqueHandle&& other) noexcept : mHandle(other.Release()) {}
    BasicUniqueHandle& operator=(BasicUniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    BasicUniqueHandle(const BasicUniqueHandle&) = delete;
    BasicUniqueHandle& operator=(const BasicUniqueHandle&) = delete;

    HANDLE Get() const { return mHandle; }
    bool IsValid() const { return mHandle != nullptr && mHandle != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return IsValid(); }

    HANDLE Release() { return std::exchange(mHandle, InvalidValue()); }
    // Closes the handle now; false when the system reported an error while closing.
    bool Reset(HANDLE handle = InvalidValue()) {
        bool closed = true;
        if (IsValid()) {
            closed = CloseHandle(mHandle) != FALSE;
        }
        mHandle = handle;
        return closed;
    }

private:
    HANDLE mHandle = InvalidValue();
};

inline HANDLE NullHandleValue() { return nullptr; }
inline HANDLE InvalidFileHandleValue() { return INVALID_HANDLE_VALUE; }

using UniqueHandle = BasicUniqueHandle<NullHandleValue>;
using UniqueFileHandle = BasicUniqueHandle<InvalidFileHandleValue>;

} // namespace Tessel::Common
