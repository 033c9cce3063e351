#pragma once

// Drawn pictures of a plastron's seams whose junctions are known exactly, for
// the snapping test and benchmark. Plain C++: dark seams of varying width
// along a midline and the transverse seams that meet it, on a shaded,
// textured shell, then blurred, noised and put through the lossy step of
// JPEG (8 x 8 cosine blocks quantised at a given quality).
#include "imaging/GreyPatch.h"
#include "model/PhotoGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace korvex::testing {

struct SeamPictureOptions {
    int width = 800;
    int height = 1000;
    double minSeamWidth = 2.0; // pixels
    double maxSeamWidth = 6.0;
    double blur = 1.0;         // Gaussian sigma in pixels, 0 for none
    double noise = 4.0;        // grey levels (sigma)
    double shading = 40.0;     // grey levels across the picture
    double texture = 12.0;     // grey levels of blotches
    int jpegQuality = 75;      // 0 for none
    unsigned seed = 1;
};

struct SeamPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    // Where seams meet, from head to tail, in photo pixels.
    std::vector<PhotoPixel> junctions;

    GreyPatch patch() const {
        return {width, height, pixels.data(), static_cast<std::size_t>(width)};
    }
};

namespace detail {

struct Seam {
    PhotoPixel from;
    PhotoPixel to;
    double halfFrom;
    double halfTo;
    double contrast;
};

inline void gaussianBlur(std::vector<double>& image, int width, int height, double sigma) {
    if (sigma <= 0.0)
        return;
    const int reach = static_cast<int>(std::ceil(3.0 * sigma));
    std::vector<double> kernel(2 * reach + 1);
    double sum = 0.0;
    for (int k = -reach; k <= reach; ++k)
        sum += kernel[k + reach] = std::exp(-0.5 * k * k / (sigma * sigma));
    for (double& k : kernel)
        k /= sum;
    std::vector<double> out(image.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double v = 0.0;
            for (int k = -reach; k <= reach; ++k)
                v += kernel[k + reach] * image[y * width + std::clamp(x + k, 0, width - 1)];
            out[y * width + x] = v;
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double v = 0.0;
            for (int k = -reach; k <= reach; ++k)
                v += kernel[k + reach] * out[std::clamp(y + k, 0, height - 1) * width + x];
            image[y * width + x] = v;
        }
}

// The lossy part of JPEG on the luminance: each 8 x 8 block's cosine
// coefficients rounded to multiples of the standard table at `quality`.
inline void jpegRound(std::vector<double>& image, int width, int height, int quality) {
    if (quality <= 0)
        return;
    static constexpr std::array<int, 64> kTable = {
        16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
        14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
        18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
        49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    const double factor = quality < 50 ? 5000.0 / quality : 200.0 - 2.0 * quality;
    std::array<double, 64> step{};
    for (int i = 0; i < 64; ++i)
        step[i] = std::max(1.0, std::floor((kTable[i] * factor + 50.0) / 100.0));
    std::array<std::array<double, 8>, 8> basis{};
    for (int u = 0; u < 8; ++u)
        for (int x = 0; x < 8; ++x)
            basis[u][x] = (u == 0 ? std::sqrt(0.125) : 0.5) *
                          std::cos((2 * x + 1) * u * std::numbers::pi / 16.0);
    for (int by = 0; by + 8 <= height; by += 8)
        for (int bx = 0; bx + 8 <= width; bx += 8) {
            std::array<double, 64> block{};
            std::array<double, 64> coef{};
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    block[y * 8 + x] = image[(by + y) * width + bx + x] - 128.0;
            // Rows, then columns: the 2-D transform is separable.
            std::array<double, 64> rows{};
            for (int y = 0; y < 8; ++y)
                for (int u = 0; u < 8; ++u) {
                    double c = 0.0;
                    for (int x = 0; x < 8; ++x)
                        c += basis[u][x] * block[y * 8 + x];
                    rows[y * 8 + u] = c;
                }
            for (int v = 0; v < 8; ++v)
                for (int u = 0; u < 8; ++u) {
                    double c = 0.0;
                    for (int y = 0; y < 8; ++y)
                        c += basis[v][y] * rows[y * 8 + u];
                    coef[v * 8 + u] = std::round(c / step[v * 8 + u]) * step[v * 8 + u];
                }
            for (int y = 0; y < 8; ++y)
                for (int u = 0; u < 8; ++u) {
                    double c = 0.0;
                    for (int v = 0; v < 8; ++v)
                        c += basis[v][y] * coef[v * 8 + u];
                    rows[y * 8 + u] = c;
                }
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    double p = 0.0;
                    for (int u = 0; u < 8; ++u)
                        p += basis[u][x] * rows[y * 8 + u];
                    image[(by + y) * width + bx + x] = p + 128.0;
                }
        }
}

inline double segmentDistance(const Seam& s, double x, double y, double& along) {
    const double dx = s.to.x - s.from.x;
    const double dy = s.to.y - s.from.y;
    const double t = std::clamp(((x - s.from.x) * dx + (y - s.from.y) * dy) / (dx * dx + dy * dy),
                                0.0, 1.0);
    along = t;
    return std::hypot(x - s.from.x - t * dx, y - s.from.y - t * dy);
}

} // namespace detail

// A midline from head to tail, six transverse seams from it to the edges;
// some cross it (one junction), some leave it a little apart on each side
// (two T junctions).
inline SeamPicture drawPlastron(const SeamPictureOptions& o) {
    std::mt19937 random(o.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    auto between = [&](double a, double b) { return a + (b - a) * unit(random); };
    auto seamWidth = [&] { return 0.5 * between(o.minSeamWidth, o.maxSeamWidth); };

    const double w = o.width;
    const double h = o.height;
    const PhotoPixel head{w * between(0.47, 0.53), h * 0.04};
    const PhotoPixel tail{w * between(0.47, 0.53), h * 0.96};
    std::vector<detail::Seam> seams;
    seams.push_back({head, tail, seamWidth(), seamWidth(), between(55.0, 90.0)});
    auto midlineAt = [&](double y) {
        return PhotoPixel{head.x + (tail.x - head.x) * (y - head.y) / (tail.y - head.y), y};
    };

    SeamPicture picture;
    picture.width = o.width;
    picture.height = o.height;
    for (int k = 0; k < 6; ++k) {
        const double y = h * (0.14 + 0.14 * k);
        const bool apart = k % 2 == 1;
        const double gap = apart ? std::max(30.0, h * 0.035) : 0.0;
        for (int side = 0; side < 2; ++side) {
            const PhotoPixel meet = midlineAt(y + (side == 0 ? -0.5 : 0.5) * gap);
            const double edgeX = side == 0 ? w * 0.05 : w * 0.95;
            const PhotoPixel edge{edgeX, meet.y + h * between(-0.05, 0.05)};
            seams.push_back({meet, edge, seamWidth(), seamWidth(), between(55.0, 90.0)});
            if (side == 0 || apart)
                picture.junctions.push_back(meet);
        }
    }

    const double phase1 = between(0.0, 6.3);
    const double phase2 = between(0.0, 6.3);
    const double f1 = between(3.0, 7.0) / w;
    const double f2 = between(3.0, 7.0) / h;
    std::vector<double> dark(static_cast<std::size_t>(o.width) * o.height, 0.0);
    for (const detail::Seam& s : seams) {
        const double reach = std::max(s.halfFrom, s.halfTo) + 1.0;
        const int x0 = std::max(0, static_cast<int>(std::min(s.from.x, s.to.x) - reach));
        const int x1 = std::min(o.width - 1, static_cast<int>(std::max(s.from.x, s.to.x) + reach));
        const int y0 = std::max(0, static_cast<int>(std::min(s.from.y, s.to.y) - reach));
        const int y1 = std::min(o.height - 1, static_cast<int>(std::max(s.from.y, s.to.y) + reach));
        for (int py = y0; py <= y1; ++py)
            for (int px = x0; px <= x1; ++px) {
                double along = 0.0;
                const double d = detail::segmentDistance(s, px + 0.5, py + 0.5, along);
                const double half = s.halfFrom + (s.halfTo - s.halfFrom) * along;
                double& cell = dark[static_cast<std::size_t>(py) * o.width + px];
                cell = std::max(cell, s.contrast * std::clamp(half + 0.5 - d, 0.0, 1.0));
            }
    }
    std::vector<double> image(dark.size());
    for (int py = 0; py < o.height; ++py)
        for (int px = 0; px < o.width; ++px) {
            const double x = px + 0.5;
            const double y = py + 0.5;
            double v = 175.0 + o.shading * (x / w - 0.5) - 0.5 * o.shading * (y / h - 0.5);
            v += o.texture * std::sin(2.0 * std::numbers::pi * f1 * x + phase1) *
                 std::sin(2.0 * std::numbers::pi * f2 * y + phase2);
            const std::size_t i = static_cast<std::size_t>(py) * o.width + px;
            image[i] = v - dark[i];
        }
    detail::gaussianBlur(image, o.width, o.height, o.blur);
    std::normal_distribution<double> noise(0.0, o.noise);
    for (double& v : image)
        v += o.noise > 0.0 ? noise(random) : 0.0;
    detail::jpegRound(image, o.width, o.height, o.jpegQuality);
    picture.pixels.resize(image.size());
    for (std::size_t i = 0; i < image.size(); ++i)
        picture.pixels[i] = static_cast<std::uint8_t>(std::clamp(std::round(image[i]), 0.0, 255.0));
    return picture;
}

// A click up to `maxOffset` pixels from `truth`, in a random direction.
inline PhotoPixel offsetClick(PhotoPixel truth, double maxOffset, std::mt19937& random) {
    std::uniform_real_distribution<double> angle(0.0, 2.0 * std::numbers::pi);
    std::uniform_real_distribution<double> distance(0.0, maxOffset);
    const double a = angle(random);
    const double r = distance(random);
    return {truth.x + r * std::cos(a), truth.y + r * std::sin(a)};
}

inline double pixelDistance(PhotoPixel a, PhotoPixel b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The standardised lengths of a chain of clicks, value i appended to into[i]
// (each length divided by the chain's total, as a group is standardised).
inline void appendStandardised(const std::vector<PhotoPixel>& chain,
                               std::vector<std::vector<double>>& into) {
    double total = 0.0;
    for (std::size_t i = 1; i < chain.size(); ++i)
        total += pixelDistance(chain[i - 1], chain[i]);
    into.resize(std::max(into.size(), chain.size() - 1));
    for (std::size_t i = 1; i < chain.size(); ++i)
        into[i - 1].push_back(pixelDistance(chain[i - 1], chain[i]) / total);
}

// The mean over the values of their standard deviation across the repeats.
inline double meanSpread(const std::vector<std::vector<double>>& values) {
    double sum = 0.0;
    for (const std::vector<double>& v : values) {
        const double n = static_cast<double>(v.size());
        double mean = 0.0;
        for (double x : v)
            mean += x / n;
        double var = 0.0;
        for (double x : v)
            var += (x - mean) * (x - mean) / (n - 1.0);
        sum += std::sqrt(var);
    }
    return sum / static_cast<double>(values.size());
}

inline SeamPictureOptions pictureOptions(int width, int height, double minSeamWidth,
                                         double maxSeamWidth, double blur, double noise,
                                         int jpegQuality, unsigned seed) {
    SeamPictureOptions o;
    o.width = width;
    o.height = height;
    o.minSeamWidth = minSeamWidth;
    o.maxSeamWidth = maxSeamWidth;
    o.blur = blur;
    o.noise = noise;
    o.jpegQuality = jpegQuality;
    o.seed = seed;
    return o;
}

} // namespace korvex::testing
