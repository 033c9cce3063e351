#pragma once

// Generated catalogues and a plain brute-force computation for the catalogue
// checks: every distance here comes from a real comparison run with one
// record on the sheet and the other as the whole data set.

#include "analysis/ComparisonRun.h"
#include "analysis/PairDistances.h"
#include "analysis/ResultList.h"
#include "model/MeasurementSheet.h"
#include "model/NumberText.h"
#include "model/SheetFill.h"

#include <array>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// A measure in a test's failure message reads as its name.
inline std::ostream& operator<<(std::ostream& out, Measure measure) {
    return out << nameOf(measure);
}

} // namespace korvex

namespace korvex::test {

class SilentHost : public ComparisonHost {
public:
    void message(std::string_view) override {}
    void setListCaption(const std::string&) override {}
    void redrawList() override {}
};

// The distance the ranked list shows for `record` with `sheetLine` on the
// sheet: the leading number of the one ranked line, as the list reads it.
inline double comparedDistance(std::string_view sheetLine, std::string_view record,
                               Measure kind) {
    MeasurementSheet sheet;
    fillRecordValues(sheetLine,
                     [&](std::size_t i, std::string_view v) { sheet.setValue(i, std::string(v)); });
    ComparisonState state;
    ResultList list;
    SilentHost host;
    const std::string dataSet = std::string(record) + "\r\n";
    ComparisonRun::comp_Click(kind, sheet, dataSet, state, list, host);
    return ResultList::leadingNumber(list.line(0));
}

// A catalogue text: animals with one to four records each, values drawn from
// a few steps so that distances often tie, codes in mixed case with suffixes
// and blanks, and now and then a short or empty line, a line given twice, an
// animal recorded again under another code, or another animal under its code.
struct GeneratedCatalogue {
    std::string text;
    std::vector<std::string> pieces; // the text's pieces before the final CR LF
};

inline std::string value(std::mt19937& random, double base) {
    // Four steps around the base value: neighbours share many distances.
    const int step = std::uniform_int_distribution<int>(0, 3)(random);
    return fixedText(base * (1.0 + 0.02 * step), 4);
}

inline GeneratedCatalogue generateCatalogue(unsigned seed, std::size_t animals) {
    std::mt19937 random(seed);
    GeneratedCatalogue out;
    auto add = [&](std::string piece) {
        out.text += piece;
        out.text += "\r\n";
        out.pieces.push_back(std::move(piece));
    };
    const char* suffixes[] = {"", "r2", "-b", "R3"};
    for (std::size_t a = 0; a < animals; ++a) {
        std::array<double, 28> base;
        for (double& b : base)
            b = 0.05 + 0.01 * std::uniform_int_distribution<int>(0, 4)(random);
        const int copies = std::uniform_int_distribution<int>(1, 4)(random);
        for (int c = 0; c < copies; ++c) {
            std::string code = (a % 2 ? "t" : "T") + std::to_string(100 + a);
            if (c > 0 && std::uniform_int_distribution<int>(0, 1)(random))
                code = std::string(c % 2 ? " " : "") + "T" + std::to_string(100 + a) + suffixes[c];
            std::string line = code;
            for (const double b : base)
                line += "\t" + value(random, b);
            add(line);
        }
        switch (std::uniform_int_distribution<int>(0, 9)(random)) {
        case 0:
            add("");
            break;
        case 1:
            add("cut\t0.1\t0.2");
            break;
        case 2:
            add(out.pieces.back()); // the same line twice
            break;
        case 3: {
            // The last line's values under the next animal's code.
            const std::string& last = out.pieces.back();
            add("T" + std::to_string(101 + a) + last.substr(last.find('\t')));
            break;
        }
        case 4: {
            std::string line = "T" + std::to_string(100 + a);
            for (int k = 0; k < 28; ++k)
                line += "\t" + value(random, 0.05 + 0.01 * (k % 5));
            add(line);
            break;
        }
        default:
            break;
        }
    }
    return out;
}

} // namespace korvex::test
