#include "forms/ScrambledText.h"

namespace ScrambledText {

namespace {

constexpr Stored StoredNotice = {0x00B3, 0x0032, 0x004A, 0x004C, 0x004F, 0x0051, 0x003C, 0x006C,
                                 0x007B, 0x0076, 0x00E9, 0x00E6, 0x00E3, 0x00F7, 0x0098, 0x00DD,
                                 0x00C7, 0x00C5, 0x00B1, 0x00AE, 0x009D, 0x0044};
constexpr Stored StoredMessage = {0x0057, 0x0073, 0x007C, 0x0081, 0x003E, 0x0095, 0x0085, 0x008C,
                                  0x007A, 0x002A, 0x00E7, 0x00E5, 0x00F4, 0x00E3, 0x00A6, 0x0090,
                                  0x00AB, 0x00C8, 0x00B6, 0x00AB, 0x00A3, 0x0037};

constexpr int Offset(int i) {
    return i < 10 ? (i + 1) * (10 - i) : (i + 1) * (22 - i);
}

} // namespace

std::wstring Unscramble(const Stored& stored) {
    std::wstring text(stored.size(), L'\0');
    for (int i = 0; i < static_cast<int>(stored.size()); ++i) {
        text[i] = static_cast<wchar_t>(static_cast<std::uint16_t>(stored[i] - Offset(i)));
    }
    return text;
}

std::wstring MakersNotice() {
    return Unscramble(StoredNotice);
}

std::wstring HiddenMessage() {
    return Unscramble(StoredMessage);
}

} // namespace ScrambledText
