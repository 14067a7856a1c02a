#pragma once

namespace Tessel::Common {

// The simple case folding of a UTF-16 code unit: the folded form of a character of the Basic
// Multilingual Plane ('A' and 'a' give 'a', 'Ä' gives 'ä', 'Σ' gives 'σ'); any other unit,
// surrogates included, is its own folding.
char16_t FoldCase(char16_t c);

} // namespace Tessel::Common
