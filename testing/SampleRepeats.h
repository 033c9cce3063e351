#pragma once

#include "model/DataSet.h"
#include "model/RepeatMeasurement.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::fakes {

// The repeats of a repeats text as korvex-batch takes it (record number,
// TAB, a record line), with the operators text's names, as a measuring
// session would have kept them for the records of `dataSet`: the same data
// for the windows and the batch tool.
inline std::vector<RepeatMeasurement> repeatsOf(const DataSet& dataSet, std::string_view repeats,
                                                std::string_view operators) {
    const auto lines = [](std::string_view text) {
        std::vector<std::string> out;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            std::string line(text.substr(start, end - start));
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            out.push_back(line);
            start = end + 1;
        }
        return out;
    };
    const auto pieces = dataSet.pieces();
    const auto who = lines(operators);
    std::vector<RepeatMeasurement> out;
    const auto all = lines(repeats);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::size_t tab = all[i].find('\t');
        const std::string line = all[i].substr(tab + 1);
        RepeatMeasurement r;
        r.recordLine = std::string(pieces.at(std::stoul(all[i].substr(0, tab)) - 1));
        r.values = line.substr(line.find('\t'));
        r.operatorName = i < who.size() ? who[i] : std::string();
        r.measuredAt = "2026-12-09T15:00:00Z";
        out.push_back(r);
    }
    return out;
}

} // namespace korvex::fakes
