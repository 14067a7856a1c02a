#pragma once

#include <cstdint>

// The process's random generator for the background of new groups and of groups whose stored
// background is missing. Seeded once per run from the system's entropy source and the clock,
// so the sequence differs between runs.

// A background index from 0 to 6, each equally likely.
int RandomBackgroundIndex();

// Restarts the generator with a fixed seed, so that a test sees a known sequence.
void SeedRandomBackground(std::uint32_t seed);
