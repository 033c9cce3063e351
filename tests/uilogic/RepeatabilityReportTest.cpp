#include "uilogic/RepeatabilityReport.h"

#include "FakePlatformServices.h"
#include "batch/BatchCommands.h"
#include "exchange/TorFile.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "testing/SampleRepeats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numeric>
#include <sstream>

namespace korvex {
namespace {

std::string fileText(const std::string& name) {
    std::ifstream in(std::string(SAMPLES_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    EXPECT_TRUE(in) << name;
    return bytes.str();
}

// The sample catalogue with the sample repeats and their operators kept as
// a measuring session keeps them, beside what korvex-batch prints for the
// sample files themselves.
class RepeatabilityReportTest : public ::testing::Test {
protected:
    test::FakePlatformServices services;
    Document document{services, "KORVEX"};
    std::string tor = fileText("tortoises.tor");
    std::string repeatsFile = fileText("tortoises-repeats.txt");
    std::string operatorsFile = fileText("tortoises-repeats-operators.txt");

    void SetUp() override {
        document.takeClipboardText(TorFile::read(tor).dataSetText);
        const auto repeats = fakes::repeatsOf(document.dataSet(), repeatsFile, operatorsFile);
        ASSERT_EQ(repeats.size(), 7U);
        ASSERT_EQ(document.addRepeats(repeats), 7U);
    }
    std::string batch(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        BatchCommands tool(out, err, [this](const std::string& path, std::string&) {
            return std::optional<std::string>(path == "k.tor" ? tor
                                              : path == "r"   ? repeatsFile
                                                              : operatorsFile);
        });
        args.insert(args.begin(), {"repeatability", "--data", "k.tor", "--repeats-text", "r",
                                   "--operators-text", "who"});
        EXPECT_EQ(tool.run(args), BatchCommands::kOk) << err.str();
        return out.str();
    }
};

TEST_F(RepeatabilityReportTest, TheWindowSaysWhatTheBatchToolPrintsForTheSameData) {
    for (const std::string pattern : {"", "^[A-Za-z]+[0-9]+"}) {
        const RepeatabilityReport report(document, pattern);
        const std::string printed =
            batch(pattern.empty() ? std::vector<std::string>{}
                                  : std::vector<std::string>{"--individual", pattern});
        EXPECT_EQ(report.clipboardText(), printed) << pattern;
        EXPECT_TRUE(report.problems().empty());
        report.copyToClipboard(services);
        EXPECT_EQ(services.clipboardText(), printed);

        // The tables show the figures of those lines.
        const auto& r = report.result();
        const auto seams = RepeatabilityReport::seamRows(r.overall);
        ASSERT_EQ(seams.size(), 29U);
        for (std::size_t s = 0; s < Repeatability::kSeamCount; ++s) {
            const std::string line = seams[s + 1][0] + "\t" + seams[s + 1][1] + "\t" +
                                     seams[s + 1][2] + "\t" + seams[s + 1][3] + "\r\n";
            EXPECT_NE(printed.find("\r\n" + line), std::string::npos) << line;
        }
        const auto spread = report.spreadRows(r.overall);
        ASSERT_EQ(spread.size(), 3U);
        EXPECT_NE(printed.find("repeat-D\t" + spread[1][1] + "\t" + spread[1][2] + "\t" +
                               spread[1][3] + "\r\n"),
                  std::string::npos);
        EXPECT_NE(printed.find("nearest-other-D\t" + spread[2][1] + "\t" + spread[2][2] + "\t" +
                               spread[2][3] + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(spread[1][3], "7");
        EXPECT_EQ(RepeatabilityReport::measuredText(r.overall),
                  "5 records measured again (n), 12 measurements with their originals (N)");
        EXPECT_NE(printed.find("ratio\t" + fixedText(*r.ratio, 4)), std::string::npos);

        // Per operator, and between them.
        ASSERT_EQ(r.operators.size(), 2U);
        const auto bias = report.biasRows();
        ASSERT_EQ(r.biases.size(), 1U);
        EXPECT_EQ(bias[0][1], "ann − bo, " + std::to_string(r.biases[0].records) +
                                  (r.biases[0].records == 1 ? " record" : " records"));
        EXPECT_NE(printed.find("\r\nbias\tann\tbo\t" + std::to_string(r.biases[0].records) +
                               "\r\nM1\t" + bias[1][1] + "\r\n"),
                  std::string::npos);

        // The sentence, in the words the core gives.
        const std::string sentence = report.sentence();
        EXPECT_EQ(sentence, r.sentence());
        EXPECT_TRUE(sentence.starts_with("Re-digitising moved a record by a median D of " +
                                         fixedText(*r.overall.repeatD.median(), 2) +
                                         "; the nearest other animal lies at a median D of " +
                                         fixedText(*r.nearestOtherD.median(), 2) + ": "))
            << sentence;
        EXPECT_TRUE(sentence.ends_with(" times farther.")) << sentence;
    }
}

TEST(RepeatabilityReport, SaysWhatItCanWhenAFigureCannotBeComputed) {
    test::FakePlatformServices services;
    const std::string values = "\t0.1\t0.2\t0.3\t0.4\t0.5\t0.6\t0.7\t0.8\t0.1\t0.2\t0.3\t0.4\t0.5"
                               "\t0.6\t0.7\t0.8\t0.1\t0.2\t0.3\t0.4\t0.5\t0.6\t0.1\t0.2\t0.3\t0.4"
                               "\t0.5\t0.6";
    struct Case {
        const char* what;
        std::string dataSet;
        std::vector<std::string> repeatValues; // of record 1
        std::string said;
    };
    const Case cases[] = {
        {"no repeat",
         "A" + values + "\r\nB" + values + "\r\n",
         {},
         RepeatabilityReport::kNoRepeats},
        {"one animal",
         "A" + values + "\r\nA" + values + "\r\n",
         {values},
         "Re-digitising moved a record by a median D of 0.00; no record of another animal is in "
         "the data set to compare it with."},
        // Its one value read as infinite: no distance to it can be computed.
        {"another animal beyond comparison",
         "A" + values + "\r\nB\t1e400" + values.substr(4) + "\r\n",
         {values},
         "Re-digitising moved a record by a median D of 0.00; the nearest other animal lies at "
         "a median D of Infinity."},
        {"a repeat cut short",
         "A" + values + "\r\nB" + values + "\r\n",
         {"\t0.1\t0.2"},
         "No repeat could be compared with its record: every repeat was left out."},
        {"its record cut short",
         "A\t0.1\t0.2\r\nB" + values + "\r\n",
         {values, values},
         "No repeat could be compared with its record: every repeat was left out."},
    };
    for (const Case& k : cases) {
        Document document(services, "KORVEX");
        document.takeClipboardText(k.dataSet);
        std::vector<RepeatMeasurement> repeats;
        for (const auto& v : k.repeatValues) {
            RepeatMeasurement r;
            r.recordLine = std::string(document.dataSet().piece(0));
            r.values = v;
            r.operatorName = "a\tb"; // no operator the tables could name
            repeats.push_back(r);
        }
        document.addRepeats(repeats);
        const RepeatabilityReport report(document, "(");
        EXPECT_EQ(report.sentence(), k.said) << k.what;
        EXPECT_NE(report.animalsText().find("is no regular expression"), std::string::npos);
        EXPECT_TRUE(report.result().operators.empty()) << k.what;
        std::string unnamed;
        for (std::size_t i = 0; i < k.repeatValues.size(); ++i)
            unnamed += "\r\n";
        EXPECT_EQ(RepeatabilityReport::batchTexts(document).operators, unnamed) << k.what;
        const bool cut = std::string(k.what).ends_with("cut short");
        EXPECT_EQ(report.problems().size(), cut ? 1U : 0U) << k.what;
        if (std::string(k.what) == "its record cut short") {
            // Said in the window as the batch tool says it on stderr.
            ASSERT_EQ(report.problems().size(), 1U);
            EXPECT_EQ(report.problems()[0],
                      "2 repeats: their records have fewer than a code and 28 values");
        }
        // The distributions on one chart: each adds up to the whole.
        const auto h = report.histogram(20);
        for (const auto* shares : {&h.repeatD, &h.nearestOtherD})
            if (!shares->empty()) {
                EXPECT_NEAR(std::accumulate(shares->begin(), shares->end(), 0.0), 1.0, 1e-12);
            }
        EXPECT_GT(h.barWidth, 0.0);
        EXPECT_TRUE(std::isfinite(h.barWidth)) << k.what;
        if (std::string(k.what) == "another animal beyond comparison") {
            // The chart spans the distances there are; the one that could
            // not be computed stands in the last bar, as it ranks last.
            ASSERT_EQ(h.nearestOtherD.size(), 20U);
            EXPECT_EQ(h.nearestOtherD.back(), 1.0);
            EXPECT_EQ(h.repeatD.front(), 1.0);
        }
    }
}

} // namespace
} // namespace korvex
