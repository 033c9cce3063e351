#include "imaging/JunctionSnapper.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace korvex {
namespace {

// A stretch of a seam's centre line: a point on it, its normal, and how dark
// and line-like the seam is there.
struct RidgePoint {
    double x;
    double y;
    double nx;
    double ny;
    double strength;
};

struct Solution {
    double x = 0.0;
    double y = 0.0;
    // The weight of the weaker of the two directions: how clearly a second
    // seam crosses the first.
    double crossing = 0.0;
    double total = 0.0;
};

// Ridge pixels of one smoothing scale, in the level's pixel-centre
// coordinates. `sigma` is in the level's pixels.
std::vector<RidgePoint> ridgePoints(const cv::Mat& level, double sigma, double minStrength) {
    cv::Mat smooth;
    cv::GaussianBlur(level, smooth, cv::Size(), sigma, sigma, cv::BORDER_REPLICATE);
    cv::Mat dx, dy, dxx, dyy, dxy;
    cv::Sobel(smooth, dx, CV_32F, 1, 0, 3, 1.0 / 8.0, 0.0, cv::BORDER_REPLICATE);
    cv::Sobel(smooth, dy, CV_32F, 0, 1, 3, 1.0 / 8.0, 0.0, cv::BORDER_REPLICATE);
    cv::Sobel(smooth, dxx, CV_32F, 2, 0, 3, 1.0 / 4.0, 0.0, cv::BORDER_REPLICATE);
    cv::Sobel(smooth, dyy, CV_32F, 0, 2, 3, 1.0 / 4.0, 0.0, cv::BORDER_REPLICATE);
    cv::Sobel(smooth, dxy, CV_32F, 1, 1, 3, 1.0 / 4.0, 0.0, cv::BORDER_REPLICATE);

    // Scale-normalised, a dark bar of width w answers most at sigma = w / 2,
    // with about half its contrast whatever its width.
    const double norm = sigma * sigma;
    std::vector<RidgePoint> points;
    const int border = static_cast<int>(std::ceil(sigma)) + 1;
    for (int y = border; y < level.rows - border; ++y) {
        for (int x = border; x < level.cols - border; ++x) {
            const double a = dxx.at<float>(y, x);
            const double b = dxy.at<float>(y, x);
            const double c = dyy.at<float>(y, x);
            const double half = 0.5 * (a + c);
            const double root = std::sqrt(0.25 * (a - c) * (a - c) + b * b);
            const double across = half + root; // a dark line bends the grey upwards
            const double along = half - root;
            if (across <= 0.0 || across * norm < minStrength)
                continue;
            // A blob (the junction's own centre, a spot) bends both ways.
            if (std::abs(along) > 0.5 * across)
                continue;
            double nx = b;
            double ny = across - a;
            if (std::abs(nx) + std::abs(ny) < 1e-12) {
                nx = a >= c ? 1.0 : 0.0;
                ny = a >= c ? 0.0 : 1.0;
            }
            const double len = std::hypot(nx, ny);
            nx /= len;
            ny /= len;
            // The centre line lies where the slope across the line is zero.
            const double slope = dx.at<float>(y, x) * nx + dy.at<float>(y, x) * ny;
            const double t = -slope / across;
            if (std::abs(t * nx) > 0.5 || std::abs(t * ny) > 0.5)
                continue;
            const double strength = across * norm * (1.0 - std::abs(along) / across);
            points.push_back({x + t * nx, y + t * ny, nx, ny, strength});
        }
    }
    return points;
}

// The point closest, in the weighted least-squares sense, to every centre
// line stretch near `start`, found again around each new estimate.
std::optional<Solution> closestPoint(const std::vector<RidgePoint>& points, double startX,
                                     double startY, double window) {
    double qx = startX;
    double qy = startY;
    Solution best;
    for (int iteration = 0; iteration < 6; ++iteration) {
        double axx = 0.0, axy = 0.0, ayy = 0.0, bx = 0.0, by = 0.0, total = 0.0;
        const double spread = 2.0 * window * window;
        for (const RidgePoint& p : points) {
            const double ex = p.x - qx;
            const double ey = p.y - qy;
            const double d2 = ex * ex + ey * ey;
            if (d2 > 4.0 * window * window)
                continue;
            const double w = p.strength * std::exp(-d2 / spread);
            axx += w * p.nx * p.nx;
            axy += w * p.nx * p.ny;
            ayy += w * p.ny * p.ny;
            const double along = p.nx * p.x + p.ny * p.y;
            bx += w * p.nx * along;
            by += w * p.ny * along;
            total += w;
        }
        const double det = axx * ayy - axy * axy;
        const double half = 0.5 * (axx + ayy);
        const double root = std::sqrt(0.25 * (axx - ayy) * (axx - ayy) + axy * axy);
        const double weaker = half - root;
        if (total <= 0.0 || weaker <= 0.05 * total || det <= 0.0)
            return std::nullopt;
        const double nx = (ayy * bx - axy * by) / det;
        const double ny = (axx * by - axy * bx) / det;
        const double moved = std::hypot(nx - qx, ny - qy);
        qx = nx;
        qy = ny;
        best = {qx, qy, weaker, total};
        if (moved < 0.01)
            break;
    }
    return best;
}

} // namespace

std::optional<PhotoPixel> JunctionSnapper::snap(const GreyPatch& patch, PhotoPixel click,
                                                double radius) const {
    if (!patch.valid() || !std::isfinite(radius) || radius <= 0.0 || !std::isfinite(click.x) ||
        !std::isfinite(click.y) || click.x < 0.0 || click.y < 0.0 || click.x > patch.width ||
        click.y > patch.height)
        return std::nullopt;
    // Every point of the photo lies within its diagonal of the click; a wider
    // radius would only look for seams wider than the photo, and its sums
    // would leave the range of the indices.
    const double searched = std::min(radius, std::hypot(patch.width, patch.height));

    // Pixel-centre coordinates from here on.
    const double cx = click.x - 0.5;
    const double cy = click.y - 0.5;
    // Seams up to about as wide as the radius; at a wide radius (a photo shown
    // small) seams too thin to see on screen are not looked for.
    const double minSigma = std::max(1.0, searched / 20.0);
    const double maxSigma = std::max(minSigma, searched / 2.5);
    const double reach = std::ceil(2.0 * searched + 3.0 * maxSigma) + 4.0;
    // Bounded in double first: a click on a very large photo plus the reach
    // may not fit an int.
    const auto bound = [](double at, int size) {
        return static_cast<int>(std::clamp(at, 0.0, static_cast<double>(size)));
    };
    const int left = bound(std::floor(cx) - reach, patch.width);
    const int top = bound(std::floor(cy) - reach, patch.height);
    const int right = bound(std::floor(cx) + reach + 1.0, patch.width);
    const int bottom = bound(std::floor(cy) + reach + 1.0, patch.height);
    if (right - left < 8 || bottom - top < 8)
        return std::nullopt;

    const cv::Mat whole(patch.height, patch.width, CV_8UC1,
                        const_cast<std::uint8_t*>(patch.bytes), patch.stride);

    // Wide seams are looked for on halved copies, so that every scale costs
    // about the same: pyrDown puts pixel i of a level over pixel 2i below it.
    // Halvings that even the finest scale smooths over are made on the grey
    // bytes themselves: at a wide radius the region is most of the photo, and
    // as floats it would take four times its bytes, twice over.
    cv::Mat level = whole(cv::Rect(left, top, right - left, bottom - top));
    double scale = 1.0;
    // Halves `level` until `sigma` spans fewer than two of its pixels.
    const auto halveFor = [&](double sigma) {
        while (sigma / scale >= 2.0 && level.cols >= 16 && level.rows >= 16) {
            cv::Mat half;
            cv::pyrDown(level, half);
            level = half;
            scale *= 2.0;
        }
    };
    halveFor(minSigma / 2.0);
    level.convertTo(level, CV_32F);

    const double minStrength = 0.48 * kMinContrast;
    struct Found {
        Solution solution;
        double scale;
    };
    std::vector<Found> found;
    for (double sigma = minSigma; sigma <= maxSigma + 1e-9; sigma *= 1.5) {
        halveFor(sigma);
        // pyrDown smooths by about one pixel of its input at each halving.
        const double carried = scale > 1.0 ? std::sqrt((scale * scale - 1.0) / 3.0) / scale : 0.0;
        const double levelSigma =
            std::sqrt(std::max(0.25, (sigma / scale) * (sigma / scale) - carried * carried));
        const std::vector<RidgePoint> points = ridgePoints(level, levelSigma, minStrength);
        const double window = std::max(searched / scale / 1.5, 2.0 * sigma / scale);
        if (const std::optional<Solution> s =
                closestPoint(points, (cx - left) / scale, (cy - top) / scale, window))
            found.push_back({*s, scale});
    }
    // The scale that shows the crossing best finds it; the finest scale that
    // still shows it well places it, since wider smoothing bends the seams'
    // centre lines towards each other where they meet.
    double best = 0.0;
    for (const Found& f : found)
        best = std::max(best, f.solution.crossing);
    std::optional<Found> chosen;
    for (const Found& f : found)
        if (f.solution.crossing >= 0.5 * best) {
            chosen = f;
            break;
        }
    if (!chosen)
        return std::nullopt;

    // A second seam has to be as long as a few pixels of the strongest one
    // before the crossing counts as a junction.
    if (chosen->solution.crossing < 3.0 * minStrength)
        return std::nullopt;
    const PhotoPixel snapped{left + chosen->solution.x * chosen->scale + 0.5,
                            top + chosen->solution.y * chosen->scale + 0.5};
    // Seams that meet just beyond the photo's edge are no junction the user
    // can see or mean. Written so that a point that is no number fails too.
    const bool onPhoto = snapped.x >= 0.0 && snapped.x <= patch.width && snapped.y >= 0.0 &&
                         snapped.y <= patch.height;
    if (!onPhoto || !(std::hypot(snapped.x - click.x, snapped.y - click.y) <= radius))
        return std::nullopt;
    return snapped;
}

} // namespace korvex
