#include "framework/PixelScaling.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// For every target position along one axis, the source positions it covers and how much of each.
struct Contribution {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Contribution> Contributions(int sourceLength, int targetLength) {
    std::vector<Contribution> result(static_cast<std::size_t>(targetLength));
    const double scale = static_cast<double>(sourceLength) / targetLength;
    for (int t = 0; t < targetLength; ++t) {
        const double begin = t * scale;
        const double end = (t + 1) * scale;
        const int first = std::min(static_cast<int>(std::floor(begin)), sourceLength - 1);
        const int last = std::min(static_cast<int>(std::ceil(end)), sourceLength);
        Contribution& c = result[static_cast<std::size_t>(t)];
        c.first = first;
        double total = 0;
        for (int s = first; s < last; ++s) {
            const double overlap = std::min<double>(s + 1, end) - std::max<double>(s, begin);
            c.weights.push_back(std::max(overlap, 0.0));
            total += c.weights.back();
        }
        if (total <= 0) {
            c.weights.assign(1, 1.0);
            total = 1.0;
        }
        for (double& w : c.weights) {
            w /= total;
        }
    }
    return result;
}

std::uint32_t Channel(double value) {
    return static_cast<std::uint32_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Packs four premultiplied channels, keeping every colour at or below alpha as premultiplied
// pixels must be.
std::uint32_t Pack(double a, double r, double g, double b) {
    const std::uint32_t alpha = Channel(a);
    return (alpha << 24) | (std::min(Channel(r), alpha) << 16) | (std::min(Channel(g), alpha) << 8) |
           std::min(Channel(b), alpha);
}

} // namespace

std::vector<std::uint32_t> ResamplePremultiplied(const std::uint32_t* source, int sourceWidth, int sourceHeight,
                                                 int width, int height) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    std::vector<std::uint32_t> result(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    if (source == nullptr || sourceWidth <= 0 || sourceHeight <= 0) {
        return result;
    }
    const std::vector<Contribution> columns = Contributions(sourceWidth, width);
    const std::vector<Contribution> rows = Contributions(sourceHeight, height);
    // Across first: every source row becomes width pixels of four channels.
    std::vector<double> across(static_cast<std::size_t>(sourceHeight) * static_cast<std::size_t>(width) * 4, 0.0);
    for (int y = 0; y < sourceHeight; ++y) {
        const std::uint32_t* row = source + static_cast<std::size_t>(y) * static_cast<std::size_t>(sourceWidth);
        double* out = &across[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4];
        for (int x = 0; x < width; ++x) {
            const Contribution& c = columns[static_cast<std::size_t>(x)];
            double sum[4] = {0, 0, 0, 0};
            for (std::size_t k = 0; k < c.weights.size(); ++k) {
                const std::uint32_t p = row[c.first + static_cast<int>(k)];
                for (int channel = 0; channel < 4; ++channel) {
                    sum[channel] += c.weights[k] * ((p >> (24 - 8 * channel)) & 0xFF);
                }
            }
            std::copy(sum, sum + 4, out + static_cast<std::size_t>(x) * 4);
        }
    }
    // Then down.
    for (int y = 0; y < height; ++y) {
        const Contribution& c = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (std::size_t k = 0; k < c.weights.size(); ++k) {
                const std::size_t at =
                    (static_cast<std::size_t>(c.first + static_cast<int>(k)) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)) *
                    4;
                for (int channel = 0; channel < 4; ++channel) {
                    sum[channel] += c.weights[k] * across[at + static_cast<std::size_t>(channel)];
                }
            }
            result[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
                Pack(sum[0], sum[1], sum[2], sum[3]);
        }
    }
    return result;
}

void FadePremultiplied(std::vector<std::uint32_t>& pixels, unsigned opacity) {
    const double factor = std::min(opacity, 255u) / 255.0;
    for (std::uint32_t& p : pixels) {
        const double a = (p >> 24) & 0xFF;
        const double r = (p >> 16) & 0xFF;
        const double g = (p >> 8) & 0xFF;
        const double b = p & 0xFF;
        const double grey = (0.299 * r + 0.587 * g + 0.114 * b) * factor;
        p = Pack(a * factor, grey, grey, grey);
    }
}

std::vector<std::uint32_t> RoundedRectPixels(int width, int height, double radius, std::uint32_t fill,
                                             std::uint32_t border) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    std::vector<std::uint32_t> result(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
    const double halfWidth = width / 2.0;
    const double halfHeight = height / 2.0;
    radius = std::clamp(radius, 0.0, std::min(halfWidth, halfHeight));
    // Signed distance from a pixel centre to the outline: negative inside.
    const auto distance = [&](double px, double py) {
        const double qx = std::abs(px - halfWidth) - (halfWidth - radius);
        const double qy = std::abs(py - halfHeight) - (halfHeight - radius);
        const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
        return outside + std::min(std::max(qx, qy), 0.0) - radius;
    };
    const auto straight = [](std::uint32_t colour, int shift) { return ((colour >> shift) & 0xFF) / 255.0; };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double d = distance(x + 0.5, y + 0.5);
            const double shape = std::clamp(0.5 - d, 0.0, 1.0);
            const double inside = std::clamp(0.5 - (d + 1.0), 0.0, 1.0);
            const double borderPart = (shape - inside) * straight(border, 24);
            const double fillPart = inside * straight(fill, 24);
            double channels[4];
            channels[0] = (borderPart + fillPart) * 255.0;
            for (int c = 1; c < 4; ++c) {
                const int shift = 24 - 8 * c;
                channels[c] = (borderPart * straight(border, shift) + fillPart * straight(fill, shift)) * 255.0;
            }
            result[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
                Pack(channels[0], channels[1], channels[2], channels[3]);
        }
    }
    return result;
}
