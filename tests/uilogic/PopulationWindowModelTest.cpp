#include "uilogic/PopulationWindowModel.h"

#include "MainWindowFixture.h"
#include "batch/BatchCommands.h"
#include "exchange/EncountersText.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/TorFile.h"
#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "model/NumberText.h"
#include "uilogic/MainWindowModel.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace korvex {
namespace {

using Format = PopulationWindowModel::Format;

// A record of 16 seam lengths from `m` up and 12 from `c` up, in 4 decimals.
std::string record(const std::string& code, double m, double c) {
    std::string line = code;
    for (int k = 0; k < 28; ++k)
        line += '\t' + fixedText(k < 16 ? m + 0.001 * k : c * (1 + 0.05 * (k - 16)), 4);
    return line;
}

constexpr const char* kPattern = "^[A-Za-z]+[0-9]+";
constexpr const char* kOccasions = "2019-05-01..2019-08-31,2020-05-01..2020-08-31";
const std::string kPhotoPath = "/field/photos/IMG_0003.JPG";

// Three animals over two seasons, T1 in both; the fifth record has no date,
// the fourth no position, the sixth is dated outside both seasons. The open
// catalogue and the batch tool's input hold the same.
class PopulationWindowModelTest : public test::MainWindowFixture {
protected:
    const std::string catalogue = record("T1", 0.06, 0.08) + "\r\n" + record("T2", 0.2, 0.3) +
                                  "\r\n" + record("t1-2020", 0.0601, 0.0801) + "\r\n" +
                                  record("T3", 0.12, 0.1) + "\r\n" + record("T2-b", 0.2001, 0.3) +
                                  "\r\n" + record("T4", 0.3, 0.2) + "\r\n";
    const std::string encounters = "1\t2019-06-01\tOak Flat\t36.9478\t-5.315\tA. Moreau\r\n"
                                   "2\t2019-06-02\tOak Flat\t36.9480\t-5.3152\tJ. Silva\r\n"
                                   "3\t2020-06-01\tDry River\t36.9355\t-5.3208\tA. Moreau\r\n"
                                   "4\t2020-06-03\tNew Pond\r\n"
                                   "5\t\tOak Flat\r\n"
                                   "6\t2020-01-10\tOak Flat\r\n";
    std::map<std::string, std::string> batchFiles;

    void SetUp() override {
        MainWindowFixture::SetUp();
        auto state = std::make_shared<CatalogueState>();
        state->dataFilePath = "/field/k.tor";
        PhotoEntry entry;
        entry.recordLine = record("t1-2020", 0.0601, 0.0801);
        entry.photoPath = kPhotoPath;
        entry.widthPixels = 2400;
        entry.heightPixels = 3000;
        state->entries.push_back(entry);
        window.document().restore(catalogue, state, false);
        for (const auto& [number, e] : EncountersText::read(encounters).byRecord)
            ASSERT_TRUE(window.document().setEncounter(number, e));
        window.setIndividualPattern(kPattern);

        DataSet dataSet;
        dataSet.setText(catalogue);
        batchFiles = {{"c.txt", catalogue},
                      {"e.txt", encounters},
                      {"k.tor", TorFile::write(MeasurementSheet(), dataSet)},
                      {"k.tor.photos.json", PhotoCompanion::write({entry}, "/field")}};
        model = std::make_unique<PopulationWindowModel>(services, window);
    }

    // What korvex-batch prints for `args` (and the files it writes beside).
    std::string batch(std::vector<std::string> args) {
        std::ostringstream out, err;
        BatchCommands commands(out, err, [this](const std::string& path, std::string& error) {
            const auto it = batchFiles.find(path);
            if (it == batchFiles.end()) {
                error = "No such file or directory";
                return std::optional<std::string>();
            }
            return std::optional<std::string>(it->second);
        });
        for (const char* a : {"--encounters-text", "e.txt", "--individual", kPattern})
            args.push_back(a);
        EXPECT_EQ(commands.run(args), BatchCommands::kOk) << err.str();
        return out.str();
    }
    std::string batchOnOccasions(std::vector<std::string> args) {
        for (const char* a : {"--data-text", "c.txt", "--occasions", kOccasions})
            args.push_back(a);
        return batch(args);
    }

    // Made once the catalogue is open, as the window is.
    std::unique_ptr<PopulationWindowModel> model;

    void takeOccasions() { ASSERT_TRUE(model->setOccasionsText(kOccasions)); }
};

TEST_F(PopulationWindowModelTest, StartsWithTheYearsOfTheEncountersAndSaysWhatIsCounted) {
    EXPECT_EQ(model->pattern(), kPattern);
    // 2020 begins on 10 January with the record outside the season.
    EXPECT_EQ(model->occasions().text(), "2019-06-01..2019-06-02,2020-01-10..2020-06-03");
    EXPECT_EQ(model->summary(), "4 individuals caught; 1 record has no date; 0 records are "
                                "dated outside every occasion.");
    takeOccasions();
    EXPECT_EQ(model->summary(), "3 individuals caught; 1 record has no date; 1 record is dated "
                                "outside every occasion.");
    // Occasions that do not read say why, here and at Save.
    model->occasions().setLast(1, "2020-02-30");
    model->refresh();
    EXPECT_NE(model->summary().find("Occasion 2, last day"), std::string::npos) << model->summary();
    EXPECT_TRUE(model->files().empty());
    services.messageAnswers.push_back(PlatformServices::Answer::Ok);
    EXPECT_FALSE(model->save());
    EXPECT_NE(services.messages.back().text.find("does not exist"), std::string::npos);
    EXPECT_TRUE(services.fileFilters.empty()); // no dialog for nothing to save
}

TEST_F(PopulationWindowModelTest, EveryFormatGivesTheBytesOfTheBatchTool) {
    takeOccasions();
    model->setSpecies("Testudo hermanni");
    const struct {
        Format format;
        std::vector<std::string> args;
        const char* chosen;  // in the save dialog
        const char* written; // the path written
        const char* filter;
    } cases[] = {
        {Format::Mark,
         {"histories", "--format", "mark"},
         "/out/k",
         "/out/k.inp",
         "MARK input (*.inp)|*.inp"},
        {Format::Rcapture,
         {"histories", "--format", "rcapture"},
         "/out/k.CSV",
         "/out/k.CSV",
         "CSV files (*.csv)|*.csv"},
        {Format::Secr,
         {"histories", "--format", "secr"},
         "/out/k.txt",
         "/out/k.txt",
         "secr capture file (*.txt)|*.txt"},
    };
    for (const auto& c : cases) {
        model->setFormat(c.format);
        services.fileAnswers.push_back(std::string(c.chosen));
        ASSERT_TRUE(model->save()) << c.written;
        EXPECT_EQ(services.fileFilters.back(), c.filter);
        EXPECT_EQ(services.files.at(c.written), batchOnOccasions(c.args)) << c.written;
    }
    // Darwin Core needs no occasions and names the data file and the photo.
    model->setFormat(Format::DarwinCore);
    model->occasions().setFirst(0, "");
    model->refresh();
    services.fileAnswers.push_back(std::string("/out/k.csv"));
    ASSERT_TRUE(model->save());
    const std::string dwc =
        batch({"histories", "--format", "dwc", "--data", "k.tor", "--species", "Testudo hermanni"});
    EXPECT_NE(dwc.find("IMG_0003.JPG"), std::string::npos) << dwc;
    EXPECT_EQ(services.files.at("/out/k.csv"), dwc);
}

TEST_F(PopulationWindowModelTest, SecrWritesTheTrapFileBesideAndSaysWhatIsMissing) {
    takeOccasions();
    model->setFormat(Format::Secr);
    EXPECT_EQ(model->positionsNote(),
              "Left out of the trap file for want of a position: New Pond.");
    services.fileAnswers.push_back(std::string("/out/season"));
    ASSERT_TRUE(model->save());
    ASSERT_EQ(services.files.count("/out/season.traps.txt"), 1U);
    // The batch tool writes its trap file to disk: compare with the core's text.
    std::vector<std::string> unpositioned;
    std::string error;
    const Catalogue read = Catalogue::read(catalogue, *Individuals::withPattern(kPattern, error));
    const auto h = CaptureHistories::build(read, *Individuals::withPattern(kPattern, error),
                                           EncountersText::read(encounters).byRecord,
                                           *CaptureHistories::parseOccasions(kOccasions, error));
    EXPECT_EQ(services.files.at("/out/season.traps.txt"), h.secrTraps(unpositioned));
    EXPECT_EQ(services.files.at("/out/season.txt"),
              batchOnOccasions({"histories", "--format", "secr"}));

    // Without any position there is no trap file, and the window says so.
    for (std::size_t r = 1; r <= 6; ++r) {
        Encounter e = *window.document().encounterOf(r);
        e.latitude.reset();
        e.longitude.reset();
        e.site = r == 2 ? "" : e.site;
        ASSERT_TRUE(window.document().setEncounter(r, e));
    }
    model->refresh();
    EXPECT_EQ(model->positionsNote(), "1 capture has no site and no line in the capture file. "
                                      "No site has a position: no trap file.");
    EXPECT_EQ(model->files().size(), 1U);
    model->setFormat(Format::Mark);
    EXPECT_EQ(model->positionsNote(), "");
}

TEST_F(PopulationWindowModelTest, AFileThatCannotBeWrittenIsSaid) {
    takeOccasions();
    services.unwritable["/out/k.inp"] = "Permission denied";
    services.fileAnswers.push_back(std::string("/out/k.inp"));
    services.messageAnswers.push_back(PlatformServices::Answer::Ok);
    EXPECT_FALSE(model->save());
    EXPECT_EQ(services.messages.back().text,
              "The file /out/k.inp could not be written: Permission denied");
    // Cancel in the dialog writes nothing and says nothing.
    services.fileAnswers.push_back(std::nullopt);
    EXPECT_FALSE(model->save());
    EXPECT_EQ(services.messages.size(), 1U);
}

TEST_F(PopulationWindowModelTest, EstimatesAreTheNumbersTheBatchToolPrints) {
    takeOccasions();
    EXPECT_EQ(model->countsTable(), (std::vector<std::vector<std::string>>{
                                        {"Occasion", "First day", "Last day", "Caught C_t",
                                         "Recaptured R_t", "Marked before M_t"},
                                        {"1", "2019-05-01", "2019-08-31", "2", "0", "0"},
                                        {"2", "2020-05-01", "2020-08-31", "2", "1", "2"}}));
    // p learnt from the catalogue as `estimate` learns it.
    auto run = model->recognitionRun(false);
    ASSERT_EQ(run->run(), CatalogueCommands::Outcome::Done);
    ASSERT_TRUE(model->takeRecognition(*run));
    EXPECT_EQ(model->estimatesReport(), batchOnOccasions({"estimate"}));
    EXPECT_EQ(model->estimatesText(),
              std::string("Chapman (occasions 1 and 2): N = 3.50, 95% bounds 1.80 to 5.20\n"
                          "Schnabel (all occasions): N = 2.00\n"
                          "Recognition rate p: 1.00 (the top-1 rate of D, 4 queries left out "
                          "one at a time)\n"
                          "Chapman corrected with R / p: N = 3.50\n") +
                  PopulationWindowModel::kDifferenceMeaning);
    // In time order, as `estimate --in-time-order`.
    run = model->recognitionRun(true);
    ASSERT_EQ(run->run(), CatalogueCommands::Outcome::Done);
    ASSERT_TRUE(model->takeRecognition(*run));
    EXPECT_EQ(model->estimatesReport(), batchOnOccasions({"estimate", "--in-time-order"}));

    // p typed, as --recognition.
    ASSERT_TRUE(model->setRecognitionText("0.5"));
    EXPECT_EQ(model->estimatesReport(), batchOnOccasions({"estimate", "--recognition", "0.5"}));
    EXPECT_NE(model->estimatesText().find("Recognition rate p: 0.50 (typed)\n"
                                          "Chapman corrected with R / p: N = 2.00\n"),
              std::string::npos)
        << model->estimatesText();
    model->copyEstimates();
    EXPECT_EQ(services.clipboardText(), model->estimatesReport());
    for (const char* bad : {"0", "1.2", "x", "-0.5", "0,5"}) {
        services.messageAnswers.push_back(PlatformServices::Answer::Ok);
        EXPECT_FALSE(model->setRecognitionText(bad)) << bad;
        EXPECT_EQ(*model->recognition(), 0.5) << bad;
    }
    ASSERT_TRUE(model->setRecognitionText(""));
    EXPECT_NE(model->estimatesText().find("Recognition rate p: not known"), std::string::npos);
    EXPECT_EQ(model->estimatesReport(), batchOnOccasions({"estimate", "--recognition", "1"})
                                            .substr(0, model->estimatesReport().size()));
}

TEST_F(PopulationWindowModelTest, FewerThanTwoOccasionsGiveAMessageInsteadOfNumbers) {
    ASSERT_TRUE(model->setOccasionsText("2019-05-01..2019-08-31"));
    EXPECT_EQ(model->estimatesText(), PopulationWindowModel::kFewerThanTwo);
    EXPECT_EQ(model->estimatesReport(), "");
    EXPECT_EQ(model->countsTable().size(), 2U);
    services.clipboard = "before";
    model->copyEstimates();
    EXPECT_EQ(services.clipboard, "before");
    model->occasions().remove(0);
    model->refresh();
    EXPECT_TRUE(model->estimatesText().starts_with("No occasion"));
}

TEST_F(PopulationWindowModelTest, ABadPatternIsRefusedAndAGoodOneChangesTheAnimals) {
    takeOccasions();
    services.messageAnswers.push_back(PlatformServices::Answer::Ok);
    EXPECT_FALSE(model->setPattern("T(0"));
    EXPECT_NE(services.messages.back().text.find("\"T(0\" is no regular expression"),
              std::string::npos);
    EXPECT_EQ(model->pattern(), kPattern);
    // Each code one animal: t1-2020 is no recapture of T1 any more.
    ASSERT_TRUE(model->setPattern(""));
    EXPECT_EQ(window.individualPattern(), "");
    EXPECT_EQ(model->countsTable()[2][4], "0");
}

TEST_F(PopulationWindowModelTest, NoQueryLeavesPUnknownWithAMessage) {
    takeOccasions();
    ASSERT_TRUE(model->setPattern(""));
    const auto run = model->recognitionRun(false);
    ASSERT_EQ(run->run(), CatalogueCommands::Outcome::Done);
    services.messageAnswers.push_back(PlatformServices::Answer::Ok);
    EXPECT_FALSE(model->takeRecognition(*run));
    EXPECT_NE(services.messages.back().text.find("No animal has two records"), std::string::npos);
    EXPECT_FALSE(model->recognition());
    // A cancelled run says nothing.
    const auto cancelled = model->recognitionRun(false);
    cancelled->control().cancelled = true;
    cancelled->run();
    EXPECT_FALSE(model->takeRecognition(*cancelled));
    EXPECT_EQ(services.messages.size(), 1U);
}

} // namespace
} // namespace korvex
