#pragma once

#include <cstdint>

// A point or size stored in the settings file as one integer: first × 100000 + second.
struct EncodedPair {
    int first = 0;
    int second = 0;
    bool operator==(const EncodedPair&) const = default;
};

// The stored integer of (first, second). Computed in 64 bits, so no pair overflows; a first
// number of 21475 or more (or -21475 or less) gives a value beyond 32 bits.
std::int64_t EncodePair(int first, int second);

// Splits a stored integer so that the second number lies in -50000 … 49999; that way every pair
// whose second number lies in that range, negative screen coordinates included, reads back as it
// was written. A first number beyond the range of int is clamped to it.
EncodedPair DecodePair(std::int64_t value);
