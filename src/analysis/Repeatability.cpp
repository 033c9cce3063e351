#include "analysis/Repeatability.h"

#include "analysis/PairDistances.h"
#include "analysis/PairSweep.h"
#include "model/DataSet.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string_view>

namespace korvex {

namespace {

using RecordLayout::kMarginalCount;
constexpr std::string_view kLineEnd = DataSet::kLineEnd;
constexpr int kDecimals = 4;

// The lines of a text, LF or CR LF ended; a final line end starts no line.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = next;
    }
    return lines;
}

// A record number: digits only, from 1.
std::optional<std::size_t> recordNumberOf(std::string_view text) {
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    std::size_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    if (number == 0)
        return std::nullopt;
    return number;
}

void appendFigure(std::string& out, const std::optional<double>& value) {
    out += '\t';
    if (value)
        out += fixedText(*value, kDecimals);
}

// A record measured again: its original and the repeats taken into a table.
struct Measured {
    const Catalogue::Record* original = nullptr;
    std::vector<const DistancePasses::ParsedRecord*> repeats;
};

Repeatability::SeamFigures seamFigures(const std::vector<Measured>& records, std::size_t seam) {
    Repeatability::SeamFigures figures;
    const std::size_t n = records.size();
    if (n == 0)
        return figures;
    // Every difference is taken from a value of the same records, so that a
    // seam without spread sums exact zeros and its zero denominator is seen
    // as one rather than as rounding noise.
    std::vector<double> offset(n);
    std::vector<double> count(n);
    double within = 0.0;
    double bigN = 0.0;
    double sumSquaredCounts = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double first = Repeatability::seamValue(records[i].original->values, seam);
        std::vector<double> d;
        d.reserve(records[i].repeats.size() + 1);
        d.push_back(0.0);
        for (const auto* repeat : records[i].repeats)
            d.push_back(Repeatability::seamValue(*repeat, seam) - first);
        double sum = 0.0;
        for (const double v : d)
            sum += v;
        const double k = static_cast<double>(d.size());
        const double meanOffset = sum / k;
        for (const double v : d)
            within += (v - meanOffset) * (v - meanOffset);
        offset[i] = first + meanOffset;
        count[i] = k;
        bigN += k;
        sumSquaredCounts += k * k;
    }
    const double base = offset[0];
    double grandOffset = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        grandOffset += count[i] * (offset[i] - base);
    grandOffset /= bigN;
    figures.mean = base + grandOffset;
    double between = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double e = offset[i] - base - grandOffset;
        between += count[i] * e * e;
    }
    const double dn = static_cast<double>(n);
    std::optional<double> msw;
    if (bigN > dn) {
        msw = within / (bigN - dn);
        figures.sdWithin = std::sqrt(*msw);
    }
    if (n >= 2 && msw) {
        const double msb = between / (dn - 1.0);
        const double k0 = (bigN - sumSquaredCounts / bigN) / (dn - 1.0);
        const double denominator = msb + (k0 - 1.0) * *msw;
        if (denominator != 0.0)
            figures.repeatability = (msb - *msw) / denominator;
    }
    // A value read as infinite leaves nothing to compute but NaN.
    for (auto* figure : {&figures.mean, &figures.sdWithin, &figures.repeatability})
        if (*figure && !std::isfinite(**figure))
            figure->reset();
    return figures;
}

Repeatability::Table tableOf(const std::vector<Measured>& records) {
    Repeatability::Table table;
    table.measured = records.size();
    for (const Measured& m : records) {
        table.measurements += 1 + m.repeats.size();
        for (const auto* repeat : m.repeats)
            table.repeatD.sorted.push_back(
                PairDistances::between(m.original->values, *repeat, Measure::D));
    }
    std::sort(table.repeatD.sorted.begin(), table.repeatD.sorted.end());
    for (std::size_t s = 0; s < Repeatability::kSeamCount; ++s)
        table.seams[s] = seamFigures(records, s);
    return table;
}

void appendTable(std::string& out, const Repeatability::Table& table) {
    for (std::size_t s = 0; s < Repeatability::kSeamCount; ++s) {
        const auto& f = table.seams[s];
        out += SpecimenRecord::seamName(s);
        appendFigure(out, f.mean);
        appendFigure(out, f.sdWithin);
        appendFigure(out, f.repeatability);
        out += kLineEnd;
    }
}

void appendSpread(std::string& out, std::string_view name, const Repeatability::Spread& spread) {
    out += name;
    appendFigure(out, spread.median());
    appendFigure(out, spread.p95());
    out += '\t';
    out += std::to_string(spread.sorted.size());
    out += kLineEnd;
}

} // namespace

std::vector<std::string> Repeatability::operatorLines(std::string_view text) {
    std::vector<std::string> lines;
    for (const std::string_view line : linesOf(text))
        lines.emplace_back(line);
    return lines;
}

std::vector<Repeatability::Repeat>
Repeatability::readRepeats(std::string_view text, std::vector<std::string>& problems,
                           const std::vector<std::string>* operators) {
    std::vector<Repeat> repeats;
    const auto lines = linesOf(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty())
            continue;
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        const std::size_t tab = line.find('\t');
        const auto number = recordNumberOf(line.substr(0, tab));
        if (tab == std::string_view::npos || !number) {
            problems.push_back(where + "does not begin with a record number and a TAB");
            continue;
        }
        Repeat repeat;
        repeat.recordNumber = *number;
        repeat.values = DistancePasses::parseRecord(line.substr(tab + 1));
        if (repeat.values.fieldCount < Catalogue::kRecordFields) {
            problems.push_back(where + "the repeat has " +
                               std::to_string(repeat.values.fieldCount) +
                               " fields, not a code and 28 values");
            continue;
        }
        if (operators && i < operators->size()) {
            const std::string& name = (*operators)[i];
            if (name.find('\t') != std::string::npos)
                problems.push_back(where + "the operator's name holds a TAB; taken as not known");
            else
                repeat.operatorName = name;
        }
        repeats.push_back(std::move(repeat));
    }
    return repeats;
}

std::optional<double> Repeatability::Spread::median() const {
    if (sorted.empty())
        return std::nullopt;
    const std::size_t mid = sorted.size() / 2;
    if (sorted.size() % 2 == 1)
        return sorted[mid];
    return (sorted[mid - 1] + sorted[mid]) / 2.0;
}

std::optional<double> Repeatability::Spread::p95() const {
    if (sorted.empty())
        return std::nullopt;
    // ceil(0.95 count) in whole numbers: 0.95 has no exact double.
    const std::size_t position = (95 * sorted.size() + 99) / 100;
    return sorted[position - 1];
}

double Repeatability::seamValue(const DistancePasses::ParsedRecord& values, std::size_t seam) {
    return seam < kMarginalCount ? values.marginal[seam] : values.central[seam - kMarginalCount];
}

Repeatability Repeatability::run(const Catalogue& catalogue, const std::vector<Repeat>& repeats) {
    Repeatability result;
    const auto& records = catalogue.records;
    // By catalogue index: the repeats of each record, in the order given.
    std::map<std::size_t, std::vector<const Repeat*>> byRecord;
    for (const Repeat& r : repeats) {
        const auto it = std::lower_bound(records.begin(), records.end(), r.recordNumber,
                                         [](const Catalogue::Record& rec, std::size_t number) {
                                             return rec.recordNumber < number;
                                         });
        if (it == records.end() || it->recordNumber != r.recordNumber) {
            ++result.unmatched;
            continue;
        }
        byRecord[static_cast<std::size_t>(it - records.begin())].push_back(&r);
    }

    std::vector<Measured> all;
    std::set<std::string> names;
    for (const auto& [index, list] : byRecord) {
        Measured m{&records[index], {}};
        for (const Repeat* r : list) {
            m.repeats.push_back(&r->values);
            if (!r->operatorName.empty())
                names.insert(r->operatorName);
        }
        all.push_back(std::move(m));
    }
    result.overall = tableOf(all);

    // The nearest record of another animal to each measured original, over
    // the cores; a bound at the nearest so far lets most pairs stop early.
    std::vector<std::optional<double>> nearest(all.size());
    const std::vector<std::size_t> indices = [&] {
        std::vector<std::size_t> out;
        for (const auto& entry : byRecord)
            out.push_back(entry.first);
        return out;
    }();
    const std::uint64_t pairs = static_cast<std::uint64_t>(all.size()) * records.size();
    PairSweep::run(
        all.size(), PairSweep::workersFor(pairs), nullptr,
        [&](std::size_t, std::size_t row) -> std::uint64_t {
            const std::size_t a = indices[row];
            double best = HUGE_VAL;
            bool found = false;
            for (std::size_t j = 0; j < records.size(); ++j) {
                if (records[j].individual == records[a].individual)
                    continue;
                found = true;
                best = std::min(best, catalogue.screened(a, j, {-HUGE_VAL, -HUGE_VAL, best}).d);
            }
            if (found)
                nearest[row] = best;
            return records.size();
        });
    for (const auto& d : nearest)
        if (d)
            result.nearestOtherD.sorted.push_back(*d);
    std::sort(result.nearestOtherD.sorted.begin(), result.nearestOtherD.sorted.end());
    const auto repeatMedian = result.overall.repeatD.median();
    const auto otherMedian = result.nearestOtherD.median();
    // A median of +infinity stands for distances that could not be computed:
    // a quotient with it (0 or infinity) would be no ratio.
    if (repeatMedian && otherMedian && *otherMedian != 0.0 && std::isfinite(*repeatMedian) &&
        std::isfinite(*otherMedian))
        result.ratio = *repeatMedian / *otherMedian;

    // Per operator: the records they measured again, with the mean of their
    // repeats of each for the biases.
    std::map<std::string, std::map<std::size_t, std::array<double, kSeamCount>>> meansOf;
    for (const std::string& name : names) {
        std::vector<Measured> own;
        auto& means = meansOf[name];
        for (const auto& [index, list] : byRecord) {
            Measured m{&records[index], {}};
            for (const Repeat* r : list)
                if (r->operatorName == name)
                    m.repeats.push_back(&r->values);
            if (m.repeats.empty())
                continue;
            auto& mean = means[index];
            for (std::size_t s = 0; s < kSeamCount; ++s) {
                double sum = 0.0;
                for (const auto* values : m.repeats)
                    sum += seamValue(*values, s);
                mean[s] = sum / static_cast<double>(m.repeats.size());
            }
            own.push_back(std::move(m));
        }
        result.operators.push_back({name, tableOf(own)});
    }
    for (auto a = meansOf.begin(); a != meansOf.end(); ++a) {
        for (auto b = std::next(a); b != meansOf.end(); ++b) {
            Bias bias{a->first, b->first, 0, {}};
            for (const auto& [index, mean] : a->second) {
                const auto other = b->second.find(index);
                if (other == b->second.end())
                    continue;
                ++bias.records;
                for (std::size_t s = 0; s < kSeamCount; ++s)
                    bias.meanDifference[s] += mean[s] - other->second[s];
            }
            if (bias.records == 0)
                continue;
            for (double& d : bias.meanDifference)
                d /= static_cast<double>(bias.records);
            result.biases.push_back(std::move(bias));
        }
    }
    return result;
}

std::string Repeatability::sentence() const {
    const auto moved = overall.repeatD.median();
    const auto other = nearestOtherD.median();
    if (!moved || !other)
        return {};
    std::string out = "Re-digitising moved a record by a median D of " + fixedText(*moved, 2) +
                      "; the nearest other animal lies at a median D of " + fixedText(*other, 2);
    const double times = *other / *moved;
    if (*moved > 0.0 && std::isfinite(*moved) && std::isfinite(times))
        out += ": " + fixedText(times, times < 1.0 ? 1 : 0) + " times farther";
    return out + ".";
}

std::string Repeatability::report() const {
    std::string out = "measured\t" + std::to_string(overall.measured) + '\t' +
                      std::to_string(overall.measurements);
    out += kLineEnd;
    appendTable(out, overall);
    appendSpread(out, "repeat-D", overall.repeatD);
    appendSpread(out, "nearest-other-D", nearestOtherD);
    out += "ratio";
    appendFigure(out, ratio);
    out += kLineEnd;
    for (const OperatorTable& op : operators) {
        out += kLineEnd;
        out += "operator\t" + op.name + '\t' + std::to_string(op.table.measured) + '\t' +
               std::to_string(op.table.measurements);
        out += kLineEnd;
        appendTable(out, op.table);
        appendSpread(out, "repeat-D", op.table.repeatD);
    }
    for (const Bias& bias : biases) {
        out += kLineEnd;
        out += "bias\t" + bias.first + '\t' + bias.second + '\t' + std::to_string(bias.records);
        out += kLineEnd;
        for (std::size_t s = 0; s < kSeamCount; ++s) {
            out += SpecimenRecord::seamName(s);
            appendFigure(out, bias.meanDifference[s]);
            out += kLineEnd;
        }
    }
    return out;
}

Repeatability::Texts
Repeatability::textsOf(
    const std::vector<std::pair<std::size_t, const RepeatMeasurement*>>& numbered) {
    const auto withoutBreaks = [](std::string text) {
        std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; },
                        ' ');
        return text;
    };
    Texts texts;
    for (const auto& [number, repeat] : numbered) {
        texts.repeats += std::to_string(number) + '\t' + withoutBreaks(repeat->values);
        texts.repeats += DataSet::kLineEnd;
        if (repeat->operatorName.find_first_of(SpecimenRecord::kFieldBreakers) == std::string::npos)
            texts.operators += repeat->operatorName;
        texts.operators += DataSet::kLineEnd;
    }
    return texts;
}

} // namespace korvex
