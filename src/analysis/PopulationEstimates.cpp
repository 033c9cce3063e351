#include "analysis/PopulationEstimates.h"

#include "model/NumberText.h"

#include <cmath>

namespace korvex {

PopulationEstimates PopulationEstimates::of(const CaptureHistories& histories) {
    PopulationEstimates e;
    const std::size_t occasions = histories.occasions().size();
    e.counts_.resize(occasions);
    for (const CaptureHistories::Individual& i : histories.individuals()) {
        bool marked = false;
        for (std::size_t t = 0; t < occasions; ++t) {
            Counts& c = e.counts_[t];
            if (marked)
                ++c.markedBefore;
            if (i.caught[t]) {
                ++c.caught;
                if (marked)
                    ++c.recaptured;
                marked = true;
            }
        }
    }
    return e;
}

double PopulationEstimates::chapmanEstimate(double m, double c, double r) {
    return (m + 1.0) * (c + 1.0) / (r + 1.0) - 1.0;
}

std::optional<PopulationEstimates::Interval> PopulationEstimates::chapman() const {
    if (counts_.size() < 2)
        return std::nullopt;
    const double m = static_cast<double>(counts_[0].caught);
    const double c = static_cast<double>(counts_[1].caught);
    const double r = static_cast<double>(counts_[1].recaptured);
    const double n = chapmanEstimate(m, c, r);
    const double variance =
        (m + 1.0) * (c + 1.0) * (m - r) * (c - r) / ((r + 1.0) * (r + 1.0) * (r + 2.0));
    const double half = 1.96 * std::sqrt(variance);
    return Interval{n, n - half, n + half};
}

std::optional<double> PopulationEstimates::schnabel() const {
    if (counts_.size() < 2)
        return std::nullopt;
    double numerator = 0.0, recaptures = 0.0;
    for (const Counts& c : counts_) {
        numerator += static_cast<double>(c.caught) * static_cast<double>(c.markedBefore);
        recaptures += static_cast<double>(c.recaptured);
    }
    return numerator / (recaptures + 1.0);
}

std::optional<double> PopulationEstimates::chapmanCorrected(double p) const {
    if (counts_.size() < 2 || !(p > 0.0 && p <= 1.0))
        return std::nullopt;
    return chapmanEstimate(static_cast<double>(counts_[0].caught),
                           static_cast<double>(counts_[1].caught),
                           static_cast<double>(counts_[1].recaptured) / p);
}

std::optional<std::string> PopulationEstimates::report(std::optional<double> recognition) const {
    const auto interval = chapman();
    if (!interval)
        return std::nullopt;
    constexpr std::string_view kLineEnd = "\r\n";
    const auto number = [](double v) {
        return fixedText(v, 2);
    };
    std::string out;
    for (std::size_t t = 0; t < counts_.size(); ++t) {
        const Counts& c = counts_[t];
        out += "occasion\t" + std::to_string(t + 1) + "\tcaught\t" + std::to_string(c.caught) +
               "\trecaptured\t" + std::to_string(c.recaptured) + "\tmarked-before\t" +
               std::to_string(c.markedBefore);
        out += kLineEnd;
    }
    out += "chapman\t" + number(interval->estimate) + '\t' + number(interval->lower) + '\t' +
           number(interval->upper);
    out += kLineEnd;
    out += "schnabel\t" + number(*schnabel());
    out += kLineEnd;
    if (recognition) {
        out += "recognition\t" + number(*recognition);
        out += kLineEnd;
        const auto corrected = chapmanCorrected(*recognition);
        out += "chapman-corrected\t" + (corrected ? number(*corrected) : std::string());
        out += kLineEnd;
    }
    return out;
}

} // namespace korvex
