#pragma once

#include <functional>
#include <streambuf>
#include <string>

namespace Tessel::Common::Logging {

// Turns UTF-16 text into UTF-8 bytes with CR LF line ends. Surrogate pairs may arrive split
// over two calls; a surrogate without its partner becomes U+FFFD.
class Utf8LineEncoder {
public:
    void Encode(const wchar_t* text, std::size_t count, std::string& out);
    // Settles a high surrogate still waiting for its partner.
    void Finish(std::string& out);

private:
    void EncodeCodePoint(char32_t codePoint, std::string& out);
    char32_t mPendingHigh = 0;
};

// A wide stream buffer that writes UTF-8 with CR LF line ends. Bytes are collected until the
// stream is flushed and then handed to the sink; a sink that fails makes the flush fail, which
// puts the stream into its failed state.
class Utf8OutputBuffer : public std::wstreambuf {
public:
    using Sink = std::function<bool(const char* bytes, std::size_t count)>;

    explicit Utf8OutputBuffer(Sink sink) : mSink(std::move(sink)) {}
    // Encodes what is pending and hands it to the sink; false when the sink refused it.
    bool Finish();

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char_type* text, std::streamsize count) override;
    int sync() override;

private:
    Utf8LineEncoder mEncoder;
    std::string mBytes;
    Sink mSink;
};

} // namespace Tessel::Common::Logging
