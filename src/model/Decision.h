#pragma once

#include "model/RecordIdentity.h"

#include <string>
#include <string_view>

namespace korvex {

// What the researcher concluded on looking at a candidate beside the query.
enum class Verdict { SameAnimal = 0, DifferentAnimal = 1, Unsure = 2 };

// "Same Animal", "Different Animal", "Unsure": the verdict as the user reads it.
std::string_view verdictText(Verdict verdict);

// One decision of the log: a query checked against a candidate of its ranked
// list. Records are named by their identity, so a decision still finds its
// records after the data file's rows were reordered.
struct Decision {
    RecordIdentity query;
    RecordIdentity candidate;
    Verdict verdict = Verdict::Unsure;
    // The name of the measure of the list the candidate came from ("D1",
    // "D2" or "D", as the Measure names it).
    std::string measure;
    // The distance as the ranked line listed it.
    std::string distance;
    // UTC, "2026-05-24T09:30:00Z".
    std::string decidedAt;

    // Whether the decision is on the pair, in either orientation.
    bool isOn(const RecordIdentity& a, const RecordIdentity& b) const {
        return (query == a && candidate == b) || (query == b && candidate == a);
    }
    bool operator==(const Decision&) const = default;
};

} // namespace korvex
