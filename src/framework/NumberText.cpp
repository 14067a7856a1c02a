#include "framework/NumberText.h"

std::optional<int> WholeNumberInRange(std::wstring_view text, int minimum, int maximum) {
    if (text.empty() || minimum > maximum) {
        return std::nullopt;
    }
    long long value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - L'0');
        // Past the maximum it can only grow: stop before it could overflow.
        if (value > maximum) {
            return std::nullopt;
        }
    }
    if (value < minimum) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}
