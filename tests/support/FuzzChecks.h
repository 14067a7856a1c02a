#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

namespace TestSupport {

// Ends the run when a property of the code under test does not hold: the fuzzer reports the
// crash with the input that caused it.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The bytes taken one for one as the characters U+0000 to U+00FF, as a code page that maps
// every byte would read them.
inline std::wstring Latin1(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return text;
}

} // namespace TestSupport
