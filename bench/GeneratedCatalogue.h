#pragma once

// A generated catalogue of 10,000 standardised records of 3,000 animals, most
// of them caught more than once, for the benchmarks of the catalogue reports.
#include "analysis/Individuals.h"
#include "model/DataSet.h"
#include "model/NumberText.h"

#include <array>
#include <random>
#include <string>
#include <vector>

namespace korvex::bench {

constexpr std::size_t kRecords = 10'000;
constexpr std::size_t kAnimals = 3'000;

// One group of shares adding up to 1, from lengths with a few percent of
// measuring noise on the animal's own.
inline void appendGroup(std::string& line, const double* lengths, std::size_t count,
                        std::mt19937& random) {
    std::normal_distribution<double> noise(1.0, 0.03);
    double measured[8] = {};
    double total = 0.0;
    for (std::size_t k = 0; k < count; ++k)
        total += measured[k] = lengths[k] * noise(random);
    for (std::size_t k = 0; k < count; ++k) {
        line += '\t';
        line += fixedText(measured[k] / total, 4);
    }
}

inline const std::string& catalogueText() {
    static const std::string text = [] {
        std::mt19937 random(20261209);
        std::uniform_real_distribution<double> length(0.5, 1.5);
        std::vector<std::array<double, 28>> animals(kAnimals);
        for (auto& a : animals)
            for (double& l : a)
                l = length(random);
        // Every animal once, the rest recaptures of animals drawn at random.
        std::uniform_int_distribution<std::size_t> pick(0, kAnimals - 1);
        std::string out;
        for (std::size_t r = 0; r < kRecords; ++r) {
            const std::size_t a = r < kAnimals ? r : pick(random);
            std::string line = "T" + std::to_string(a) + "-" + std::to_string(r);
            const double* l = animals[a].data();
            appendGroup(line, l, 8, random);
            appendGroup(line, l + 8, 8, random);
            appendGroup(line, l + 16, 6, random);
            appendGroup(line, l + 22, 6, random);
            out += line;
            out += DataSet::kLineEnd;
        }
        return out;
    }();
    return text;
}

inline Individuals byAnimal() {
    std::string error;
    return *Individuals::withPattern("^T[0-9]+", error);
}

} // namespace korvex::bench
