#pragma once

#include "analysis/Catalogue.h"
#include "analysis/PairDistances.h"
#include "analysis/PairSweep.h"
#include "model/DecimalComma.h"
#include "model/SeamGroup.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// Findings that point at mistakes in a catalogue: one animal under two codes,
// two animals under one code, raw lengths appended without standardising,
// values written with a decimal comma, damaged rows. Distances are the shown
// distances of one kind (D by default).
struct CatalogueAudit {
    enum class Type { DuplicateLine, Close, Far, NotStandardised, Short, EmptyCode, DecimalComma };

    struct Finding {
        Type type = Type::Short;
        std::size_t record = 0;  // record number, from 1
        std::string_view code;   // field 0 of that record's line
        std::size_t record2 = 0; // the other record (duplicate-line, close, far); 0 if none
        std::string_view code2;
        double distance = 0.0;                         // close, far
        SeamGroupId group = SeamGroupId::LeftMarginal; // not-standardised
        double sum = 0.0;                              // not-standardised
        std::size_t fieldCount = 0;                    // short
        DecimalComma::Value value;                     // decimal-comma: the first such value
    };

    // How the threshold came about, as the first line says it.
    enum class ThresholdSource { Given, EqualError, FixedDefault };

    // With no animal of two records there is nothing to learn a threshold
    // from: only records whose shown distance is 0 (the same values under two
    // codes) are then reported as close.
    static constexpr double kFixedDefault = 0.0;

    struct Options {
        Measure kind = Measure::D;
        std::optional<double> threshold; // nothing: from the catalogue
    };

    Measure kind = Measure::D;
    double threshold = kFixedDefault;
    ThresholdSource source = ThresholdSource::FixedDefault;
    // In the order of the report: duplicate lines, close pairs (nearest
    // first), far records, records with a decimal comma in a value (one each,
    // naming the first such value: it reads as the digits before the comma),
    // groups not standardised, short pieces, empty codes; each kind by record
    // numbers.
    std::vector<Finding> findings;

    // Nothing when `control` was cancelled.
    static std::optional<CatalogueAudit> run(const Catalogue& catalogue, const Options& options,
                                             SweepControl* control = nullptr);

    // One finding as its report line, without the line end.
    std::string line(const Finding& finding) const;
    // The threshold line, then every finding, CR LF after each.
    std::string report() const;
};

} // namespace korvex
