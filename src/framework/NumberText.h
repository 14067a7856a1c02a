#pragma once

#include <optional>
#include <string_view>

// The value of a text that is a whole number written in decimal digits only (no sign, no spaces,
// no separators) and lies within minimum ... maximum; nothing for any other text. A number box
// takes only such a text as its new value and keeps its last value otherwise.
std::optional<int> WholeNumberInRange(std::wstring_view text, int minimum, int maximum);
