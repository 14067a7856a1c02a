#include "model/RandomBackground.h"

#include <chrono>
#include <random>

namespace {

std::mt19937& Generator() {
    static std::mt19937 generator = [] {
        std::random_device entropy;
        const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        const auto wall = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
        std::seed_seq seed{entropy(),
                           entropy(),
                           static_cast<unsigned>(now),
                           static_cast<unsigned>(now >> 32),
                           static_cast<unsigned>(wall),
                           static_cast<unsigned>(wall >> 32)};
        return std::mt19937(seed);
    }();
    return generator;
}

} // namespace

int RandomBackgroundIndex() {
    std::uniform_int_distribution<int> distribution(0, 6);
    return distribution(Generator());
}

void SeedRandomBackground(std::uint32_t seed) {
    Generator().seed(seed);
}
