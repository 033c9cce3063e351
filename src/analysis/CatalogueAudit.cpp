#include "analysis/CatalogueAudit.h"

#include "analysis/CatalogueSweeps.h"
#include "analysis/PairScreen.h"
#include "model/DataSet.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "model/SeamGroup.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <unordered_map>

namespace korvex {

namespace {

using Finding = CatalogueAudit::Finding;
using Type = CatalogueAudit::Type;

constexpr std::string_view kLineEnd = DataSet::kLineEnd;

// "M1-M8": a group by the seams of its first and last value.
std::string groupName(SeamGroupId id) {
    const SeamGroup& g = seamGroup(id);
    const std::string letter(1, g.seamLetter);
    return letter + std::to_string(g.firstSeamNumber) + "-" + letter +
           std::to_string(g.firstSeamNumber + static_cast<int>(g.count) - 1);
}

std::string_view typeName(Type type) {
    switch (type) {
    case Type::DuplicateLine:
        return "duplicate-line";
    case Type::Close:
        return "close";
    case Type::Far:
        return "far";
    case Type::NotStandardised:
        return "not-standardised";
    case Type::Short:
        return "short";
    case Type::DecimalComma:
        return "decimal-comma";
    default:
        return "empty-code";
    }
}

bool codeIsEmpty(std::string_view code) {
    return code.find_first_not_of(' ') == std::string_view::npos;
}

// Byte-identical lines: each later copy with the first one.
void duplicateLines(const Catalogue& catalogue, std::vector<Finding>& out) {
    std::unordered_map<std::string_view, std::size_t> first;
    for (std::size_t i = 0; i < catalogue.records.size(); ++i) {
        const auto& r = catalogue.records[i];
        const auto [it, added] = first.try_emplace(r.line, i);
        if (added)
            continue;
        const auto& original = catalogue.records[it->second];
        Finding f;
        f.type = Type::DuplicateLine;
        f.record = original.recordNumber;
        f.code = original.code;
        f.record2 = r.recordNumber;
        f.code2 = r.code;
        out.push_back(f);
    }
    std::stable_sort(out.begin(), out.end(), [](const Finding& a, const Finding& b) {
        return a.record != b.record ? a.record < b.record : a.record2 < b.record2;
    });
}

// A group is standardised when its values, read as numbers, add up to 1 at
// the three decimals a user would check.
void unstandardisedGroups(const Catalogue& catalogue, std::vector<Finding>& out) {
    for (const auto& r : catalogue.records) {
        const auto fields = SpecimenRecord::splitFields(r.line);
        for (const SeamGroupId g : kLabelledGroups) {
            const SeamGroup& group = seamGroup(g);
            double sum = 0.0;
            // Record field k + 1 holds sheet value k.
            for (std::size_t k = 0; k < group.count; ++k)
                sum += readNumber(fields[group.firstSheetIndex + 1 + k]);
            if (roundDecimals(sum, 3) == roundDecimals(group.targetTotal, 3))
                continue;
            Finding f;
            f.type = Type::NotStandardised;
            f.record = r.recordNumber;
            f.code = r.code;
            f.group = g;
            f.sum = sum;
            out.push_back(f);
        }
    }
}

// A pair of records of two animals and its shown distance.
struct ClosePair {
    double distance;
    std::size_t i, j; // indices into Catalogue::records, i < j
};

// Pairs of two animals within a bound, gathered per worker as long as they
// stay few: at most this many per record, so that memory follows the records.
constexpr std::size_t kKeptPairsPerRecord = 64;

class PairKeeper {
public:
    PairKeeper(std::size_t workers, std::size_t limit) : kept_(workers), limit_(limit) {}
    void keep(std::size_t worker, const ClosePair& pair) {
        if (full_.load(std::memory_order_relaxed))
            return;
        if (count_.fetch_add(1, std::memory_order_relaxed) >= limit_) {
            full_ = true;
            return;
        }
        kept_[worker].push_back(pair);
    }
    // All pairs kept, or nothing when there were too many to keep.
    std::optional<std::vector<ClosePair>> take() {
        if (full_)
            return std::nullopt;
        std::vector<ClosePair> all;
        for (auto& k : kept_) {
            all.insert(all.end(), k.begin(), k.end());
            k = {};
        }
        return all;
    }

private:
    std::vector<std::vector<ClosePair>> kept_;
    std::size_t limit_;
    std::atomic<std::size_t> count_{0};
    std::atomic<bool> full_{false};
};

struct Learnt {
    std::size_t bin = 0;
    // The pairs of two animals at most the bound of the learning pass, which
    // holds the threshold: what the close findings need, when few enough.
    std::optional<std::vector<ClosePair>> within;
};

// Asks for one distance up to `bound`, for nothing else.
PairDistances::Shown boundsOf(Measure kind, double bound) {
    PairDistances::Shown bounds{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    (kind == Measure::D1   ? bounds.d1
     : kind == Measure::D2 ? bounds.d2
                                       : bounds.d) = bound;
    return bounds;
}

// The bin from which on the share of pairs of one animal above it is at most
// half the share of pairs of two animals within it, judged on a sample of the
// pairs of two animals: every pair of a few evenly spread records.
std::size_t sampledCrossing(const Catalogue& catalogue, const DistanceHistogram& same) {
    const auto& records = catalogue.records;
    const auto kind = same.kind();
    constexpr std::size_t kSampledRows = 48;
    const std::size_t stride = std::max<std::size_t>(1, records.size() / kSampledRows);
    DistanceHistogram sample(kind);
    for (std::size_t i = 0; i < records.size(); i += stride)
        for (std::size_t j = 0; j < records.size(); ++j)
            if (records[j].individual != records[i].individual)
                sample.add(PairDistances::between(records[i].values, records[j].values, kind));
    std::uint64_t sameWithin = same.below();
    std::uint64_t sampleWithin = sample.below();
    std::size_t k = 0;
    for (; k < same.binCount(); ++k) {
        sameWithin += same.bin(k);
        sampleWithin += sample.bin(k);
        const double falseNonMatch =
            static_cast<double>(same.total() - sameWithin) / static_cast<double>(same.total());
        const double falseMatch = sample.total() > 0 ? static_cast<double>(sampleWithin) /
                                                           static_cast<double>(sample.total())
                                                     : 0.0;
        if (2.0 * falseNonMatch <= falseMatch)
            break;
    }
    return k;
}

// The equal-error bin of the distances within and between animals. Only the
// distances between animals up to a bound T are needed, as long as at T the
// share of pairs of one animal above T is no larger than the share of pairs of
// two animals within it: beyond T the larger error share can only be at least
// that. T is tried where a sample of the pairs says this holds, then at the
// largest distance within an animal (where it always holds), then without a
// bound.
std::optional<Learnt> learnThreshold(const Catalogue& catalogue, const DistanceHistogram& same,
                                     std::size_t workerCount, SweepControl* control) {
    const auto& records = catalogue.records;
    const auto kind = same.kind();
    const std::size_t last = same.binCount() - 1;
    std::vector<std::size_t> tries = {sampledCrossing(catalogue, same)};
    // The bin of the largest distance within an animal; past the bins when it
    // lies above them.
    std::size_t largest = 0;
    for (std::uint64_t within = same.below(); largest <= last; ++largest) {
        within += same.bin(largest);
        if (within == same.total())
            break;
    }
    if (largest > tries.back() && largest <= last)
        tries.push_back(largest);
    if (tries.back() <= last)
        tries.push_back(last + 1); // no bound
    const PairScreen screen(catalogue);
    for (std::size_t t = 0; t < tries.size(); ++t) {
        const std::size_t lastBin = tries[t];
        const double bound = lastBin > last ? HUGE_VAL : same.valueOf(lastBin);
        if (t > 0 && control)
            control->total += CatalogueSweeps::otherPairCount(catalogue);
        std::vector<DistanceHistogram> different(workerCount, DistanceHistogram(kind));
        std::vector<std::uint64_t> beyond(workerCount, 0);
        PairKeeper keeper(workerCount, kKeptPairsPerRecord * records.size());
        const PairDistances::Shown bounds = boundsOf(kind, bound);
        const bool finished = CatalogueSweeps::otherPairsWithin(
            catalogue, screen, screen.uniformBounds(bounds), workerCount, control,
            [&](std::size_t worker, std::size_t i, std::size_t j) {
                const double d = catalogue.screened(i, j, bounds).of(kind);
                if (d <= bound) {
                    different[worker].add(d);
                    keeper.keep(worker, {d, i, j});
                } else {
                    ++beyond[worker];
                }
            },
            [&](std::size_t worker, std::uint64_t count) { beyond[worker] += count; });
        if (!finished)
            return std::nullopt;
        for (std::size_t w = 0; w < workerCount; ++w) {
            if (w > 0)
                different[0].merge(different[w]);
            different[0].addAbove(beyond[w]);
        }
        const auto& between = different[0];
        // The two shares at T, reckoned as the equal-error search reckons them.
        const double falseNonMatch = static_cast<double>(same.total() - same.within(lastBin)) /
                                     static_cast<double>(same.total());
        const double falseMatch = between.total() > 0
                                      ? static_cast<double>(between.within(lastBin)) /
                                            static_cast<double>(between.total())
                                      : 0.0;
        if (t + 1 == tries.size() || falseNonMatch <= falseMatch)
            return Learnt{*equalErrorBin(same, between, lastBin), keeper.take()};
    }
    return std::nullopt; // not reached: the last try has no bound
}

} // namespace

std::optional<CatalogueAudit> CatalogueAudit::run(const Catalogue& catalogue,
                                                  const Options& options, SweepControl* control) {
    const auto& records = catalogue.records;
    const auto kind = options.kind;
    const auto k = static_cast<std::size_t>(kind);
    const std::uint64_t otherPairs = CatalogueSweeps::otherPairCount(catalogue);
    const bool learn = !options.threshold.has_value();
    // The learning pass is counted once; a rare second one adds to the total.
    if (control)
        control->total = CatalogueSweeps::ownPairCount(catalogue) + otherPairs * (learn ? 2 : 1);

    auto own = CatalogueSweeps::ownPairs(catalogue, learn, control);
    if (!own)
        return std::nullopt;
    const std::size_t workerCount = PairSweep::workersFor(otherPairs);

    CatalogueAudit audit;
    audit.kind = kind;
    std::optional<std::vector<ClosePair>> close;
    if (options.threshold) {
        audit.threshold = *options.threshold;
        audit.source = ThresholdSource::Given;
    } else if (own->pairs > 0) {
        auto learnt = learnThreshold(catalogue, *own->histograms[k], workerCount, control);
        if (!learnt)
            return std::nullopt;
        audit.threshold = own->histograms[k]->valueOf(learnt->bin);
        audit.source = ThresholdSource::EqualError;
        if (learnt->within) {
            close = std::move(learnt->within);
            std::erase_if(*close, [&](const ClosePair& c) { return c.distance > audit.threshold; });
        }
    } else if (control) {
        control->done += otherPairs; // nothing to learn, and the learning pass is skipped
    }

    // Close pairs: the only findings whose number depends on the threshold.
    const double threshold = audit.threshold;
    if (close) {
        if (control)
            control->done += otherPairs; // already gathered while learning
    } else {
        std::vector<std::vector<ClosePair>> found(workerCount);
        const PairDistances::Shown bounds = boundsOf(kind, threshold);
        const PairScreen screen(catalogue);
        const bool finished = CatalogueSweeps::otherPairsWithin(
            catalogue, screen, screen.uniformBounds(bounds), workerCount, control,
            [&](std::size_t worker, std::size_t i, std::size_t j) {
                const double d = catalogue.screened(i, j, bounds).of(kind);
                if (d <= threshold)
                    found[worker].push_back({d, i, j});
            },
            [](std::size_t, std::uint64_t) {});
        if (!finished)
            return std::nullopt;
        close.emplace();
        for (auto& f : found) {
            close->insert(close->end(), f.begin(), f.end());
            f = {};
        }
    }
    std::sort(close->begin(), close->end(), [](const ClosePair& a, const ClosePair& b) {
        if (a.distance != b.distance)
            return a.distance < b.distance;
        return a.i != b.i ? a.i < b.i : a.j < b.j;
    });

    auto& out = audit.findings;
    duplicateLines(catalogue, out);
    for (const ClosePair& c : *close) {
        Finding f;
        f.type = Type::Close;
        f.record = records[c.i].recordNumber;
        f.code = records[c.i].code;
        f.record2 = records[c.j].recordNumber;
        f.code2 = records[c.j].code;
        f.distance = c.distance;
        out.push_back(f);
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& nearest = own->nearest[k][i];
        if (nearest.other == CatalogueSweeps::kNone || !(nearest.distance > threshold))
            continue;
        Finding f;
        f.type = Type::Far;
        f.record = records[i].recordNumber;
        f.code = records[i].code;
        f.record2 = records[nearest.other].recordNumber;
        f.code2 = records[nearest.other].code;
        f.distance = nearest.distance;
        out.push_back(f);
    }
    for (const auto& r : records) {
        const auto value = DecimalComma::firstValueOf(r.line);
        if (!value)
            continue;
        Finding f;
        f.type = Type::DecimalComma;
        f.record = r.recordNumber;
        f.code = r.code;
        f.value = *value;
        out.push_back(f);
    }
    unstandardisedGroups(catalogue, out);
    for (const auto& s : catalogue.skipped) {
        if (s.fieldCount >= Catalogue::kRecordFields)
            continue; // a whole record after the final CR LF: not cut short
        Finding f;
        f.type = Type::Short;
        f.record = s.recordNumber;
        f.code = s.code;
        f.fieldCount = s.fieldCount;
        out.push_back(f);
    }
    for (const auto& r : records) {
        if (!codeIsEmpty(r.code))
            continue;
        Finding f;
        f.type = Type::EmptyCode;
        f.record = r.recordNumber;
        out.push_back(f);
    }
    return audit;
}

std::string CatalogueAudit::line(const Finding& f) const {
    std::string out(typeName(f.type));
    auto field = [&out](std::string_view text) {
        out += '\t';
        out += text;
    };
    field(std::to_string(f.record));
    if (f.type == Type::EmptyCode)
        return out;
    field(f.code);
    switch (f.type) {
    case Type::DuplicateLine:
    case Type::Close:
    case Type::Far:
        field(std::to_string(f.record2));
        field(f.code2);
        if (f.type != Type::DuplicateLine)
            field(PairDistances::textOf(kind, f.distance));
        break;
    case Type::NotStandardised:
        field(groupName(f.group));
        field(lengthText(f.sum));
        break;
    case Type::DecimalComma:
        field(SpecimenRecord::seamName(f.value.index));
        field(f.value.text);
        break;
    default: // Short
        field(std::to_string(f.fieldCount));
        break;
    }
    return out;
}

std::string CatalogueAudit::report() const {
    std::string out = "threshold\t";
    // A given threshold is written as given, so that the line shows the value
    // the distances were held against.
    out += source == ThresholdSource::Given ? lengthText(threshold)
                                            : PairDistances::textOf(kind, threshold);
    out += '\t';
    switch (source) {
    case ThresholdSource::Given:
        out += "given";
        break;
    case ThresholdSource::EqualError:
        out += "equal-error point of the ";
        out += nameOf(kind);
        out += " distances within and between individuals";
        break;
    default:
        out += "fixed default: no individual has two records";
        break;
    }
    out += kLineEnd;
    for (const Finding& f : findings) {
        out += line(f);
        out += kLineEnd;
    }
    return out;
}

} // namespace korvex
