#pragma once

#include <array>
#include <cstdint>
#include <string>

// Texts of the About page that the program keeps scrambled, so that they are not found as plain
// text in the program file. Each is 22 characters; character i is kept with an offset added:
// (i + 1) * (10 - i) for the first ten, (i + 1) * (22 - i) for the others.
namespace ScrambledText {

using Stored = std::array<std::uint16_t, 22>;

std::wstring Unscramble(const Stored& stored);

// The maker's notice under the version.
std::wstring MakersNotice();
// The message that a Ctrl + double-click on the product name shows.
std::wstring HiddenMessage();

} // namespace ScrambledText
