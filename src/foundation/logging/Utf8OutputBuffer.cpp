#include "foundation/logging/Utf8OutputBuffer.h"

#include "foundation/text/Utf8.h"

namespace Tessel::Common::Logging {

using Tessel::Common::AppendUtf8;

namespace {
constexpr char32_t ReplacementCharacter = 0xFFFD;
bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
} // namespace

void Utf8LineEncoder::EncodeCodePoint(char32_t c, std::string& out) {
    if (c == U'\n') {
        out += "\r\n";
    } else {
        AppendUtf8(c, out);
    }
}

void Utf8LineEncoder::Encode(const wchar_t* text, std::size_t count, std::string& out) {
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
        }
        if (mPendingHigh != 0) {
            const char32_t high = mPendingHigh;
            mPendingHigh = 0;
            if (IsLowSurrogate(c)) {
                EncodeCodePoint(0x10000 + ((high - 0xD800) << 10) + (c - 0xDC00), out);
                continue;
            }
            EncodeCodePoint(ReplacementCharacter, out);
        }
        if (IsHighSurrogate(c)) {
            mPendingHigh = c;
        } else if (IsLowSurrogate(c) || c > 0x10FFFF) {
            EncodeCodePoint(ReplacementCharacter, out);
        } else {
            EncodeCodePoint(c, out);
        }
    }
}

void Utf8LineEncoder::Finish(std::string& out) {
    if (mPendingHigh != 0) {
        mPendingHigh = 0;
        EncodeCodePoint(ReplacementCharacter, out);
    }
}

Utf8OutputBuffer::int_type Utf8OutputBuffer::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
        return traits_type::not_eof(ch);
    }
    const char_type c = traits_type::to_char_type(ch);
    mEncoder.Encode(&c, 1, mBytes);
    return ch;
}

std::streamsize Utf8OutputBuffer::xsputn(const char_type* text, std::streamsize count) {
    mEncoder.Encode(text, static_cast<std::size_t>(count), mBytes);
    return count;
}

int Utf8OutputBuffer::sync() {
    if (mBytes.empty()) {
        return 0;
    }
    const bool written = mSink && mSink(mBytes.data(), mBytes.size());
    mBytes.clear();
    return written ? 0 : -1;
}

bool Utf8OutputBuffer::Finish() {
    mEncoder.Finish(mBytes);
    return sync() == 0;
}

} // namespace Tessel::Common::Logging
