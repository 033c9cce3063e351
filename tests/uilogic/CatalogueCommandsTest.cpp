#include "uilogic/CatalogueCommands.h"

#include "../analysis/CatalogueFixtures.h"
#include "MainWindowFixture.h"
#include "model/RecordLine.h"
#include "uilogic/MainWindowModel.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>
#include <string>

namespace korvex {
namespace {

using Command = CatalogueCommands::Command;
using Outcome = CatalogueCommands::Outcome;

class CatalogueCommandsTest : public test::MainWindowFixture {
protected:
    CatalogueCommands commands{services, window};
    const test::GeneratedCatalogue catalogue = test::generateCatalogue(15, 40);

    void load(const std::string& text) {
        services.setClipboardText(text);
        window.load_Click(MainWindowModel::LoadFromClipboard);
    }
    // The command started with `pattern` typed and run to its end.
    std::shared_ptr<CatalogueCommands::Run> run(Command command, const std::string& pattern = "") {
        services.inputAnswers.push_back(pattern);
        auto r = commands.start(command);
        EXPECT_TRUE(r);
        if (r) {
            EXPECT_EQ(r->run(), Outcome::Done);
        }
        return r;
    }
    static std::string evaluationReport(const std::string& text, const std::string& pattern) {
        std::string error;
        const auto individuals = Individuals::withPattern(pattern, error);
        return MatchEvaluation::run(Catalogue::read(text, *individuals), false)->report();
    }
};

TEST_F(CatalogueCommandsTest, ThePatternTypedSetsWhichRecordsAreOneAnimal) {
    load(catalogue.text);
    for (const std::string pattern : {"", "^[A-Za-z]+[0-9]+", "([0-9]+)"}) {
        const auto r = run(Command::Evaluate, pattern);
        ASSERT_TRUE(r && r->evaluation());
        EXPECT_EQ(r->evaluation()->report(), evaluationReport(catalogue.text, pattern)) << pattern;
        EXPECT_TRUE(commands.finished(*r));
    }
    // Patterns that change the animals give different reports.
    EXPECT_NE(evaluationReport(catalogue.text, ""),
              evaluationReport(catalogue.text, "^[A-Za-z]+[0-9]+"));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(CatalogueCommandsTest, APatternThatIsNoRegularExpressionIsRefusedWithAMessage) {
    load(catalogue.text);
    const RecoverySnapshot before = window.snapshot();
    for (const auto& [command, title] : {std::pair{Command::Evaluate, "Evaluate Matching"},
                                         std::pair{Command::Check, "Check the Catalogue"}}) {
        services.inputAnswers.push_back("T(0");
        services.messageAnswers.push_back(PlatformServices::Answer::Ok);
        EXPECT_FALSE(commands.start(command));
        ASSERT_FALSE(services.messages.empty());
        EXPECT_EQ(services.messages.back().title, title);
        EXPECT_NE(services.messages.back().text.find("\"T(0\" is no regular expression"),
                  std::string::npos)
            << services.messages.back().text;
        EXPECT_EQ(services.messages.back().icon, PlatformServices::Icon::Warning);
    }
    EXPECT_EQ(window.snapshot(), before);
}

TEST_F(CatalogueCommandsTest, CancelAtThePatternQuestionRunsNothing) {
    load(catalogue.text);
    const RecoverySnapshot before = window.snapshot();
    for (Command command : {Command::Evaluate, Command::Check}) {
        services.cancelNextQuestion = true;
        EXPECT_FALSE(commands.start(command));
    }
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(window.snapshot(), before);
}

TEST_F(CatalogueCommandsTest, ARunWorksOnTheDataSetAsItWasWhenItStarted) {
    load(catalogue.text);
    services.inputAnswers.push_back("");
    const auto r = commands.start(Command::Evaluate);
    ASSERT_TRUE(r);
    load(test::generateCatalogue(16, 10).text);
    ASSERT_EQ(r->run(), Outcome::Done);
    EXPECT_EQ(r->evaluation()->report(), evaluationReport(catalogue.text, ""));
}

TEST_F(CatalogueCommandsTest, ACancelledRunChangesNothing) {
    load(catalogue.text);
    for (const Command command : {Command::Evaluate, Command::Check}) {
        services.inputAnswers.push_back("");
        const auto r = commands.start(command);
        ASSERT_TRUE(r);
        const RecoverySnapshot before = window.snapshot();
        const std::string clipboard = services.clipboard;
        r->control().cancelled = true;
        EXPECT_EQ(r->run(), Outcome::Cancelled);
        EXPECT_FALSE(r->evaluation() || r->audit());
        EXPECT_FALSE(commands.finished(*r));
        commands.copyReport(*r);
        EXPECT_EQ(window.snapshot(), before);
        EXPECT_EQ(services.clipboard, clipboard);
    }
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(CatalogueCommandsTest, AnEvaluationWithoutAQuerySaysThereIsNothingToCompare) {
    std::string text;
    for (const char* code : {"A", "B"}) {
        text += code;
        for (int k = 0; k < 28; ++k)
            text += "\t0.1";
        text += "\r\n";
    }
    load(text);
    const auto r = run(Command::Evaluate);
    services.messageAnswers.push_back(PlatformServices::Answer::Ok);
    EXPECT_FALSE(commands.finished(*r));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, CatalogueCommands::kNothingToCompare);
}

TEST_F(CatalogueCommandsTest, InTimeOrderRanksEachQueryOnlyAgainstEarlierRecords) {
    load(catalogue.text);
    // Every third record undated; the others a day apart, later records first
    // for the even pieces so that time order is not record order.
    std::size_t dated = 0;
    for (std::size_t n = 1; n <= catalogue.pieces.size(); ++n) {
        if (n % 3 == 0)
            continue;
        Encounter e;
        const int day = int(n % 2 ? n : 200 - n);
        e.date = CalendarDate{2019 + day / 28, 1 + (day / 2) % 12, 1 + day % 28};
        dated += window.document().setEncounter(n, e) ? 1 : 0;
    }
    ASSERT_GT(dated, 20u);
    const auto plain = run(Command::Evaluate, "^[A-Za-z]+[0-9]+");
    ASSERT_TRUE(plain && plain->evaluation());
    EXPECT_FALSE(plain->inTimeOrder());
    EXPECT_FALSE(plain->evaluation()->undated);

    const auto timed = commands.again(*plain, true);
    ASSERT_EQ(timed->run(), Outcome::Done);
    EXPECT_TRUE(timed->inTimeOrder());
    std::string error;
    const Catalogue read =
        Catalogue::read(catalogue.text, *Individuals::withPattern("^[A-Za-z]+[0-9]+", error));
    std::vector<std::optional<CalendarDate>> dates(read.records.size());
    for (std::size_t i = 0; i < dates.size(); ++i)
        if (const Encounter* e = window.document().encounterOf(read.records[i].recordNumber))
            dates[i] = e->date;
    const auto expected = MatchEvaluation::runInTimeOrder(read, dates);
    EXPECT_EQ(timed->evaluation()->report(), expected->report());
    EXPECT_EQ(timed->evaluation()->undated, expected->undated);
    EXPECT_GT(*timed->evaluation()->undated, 0u);
    EXPECT_NE(timed->evaluation()->report(), plain->evaluation()->report());
    EXPECT_TRUE(commands.finished(*timed));

    // Unchecked again: the evaluation of today, histograms and all.
    const auto back = commands.again(*timed, false);
    ASSERT_EQ(back->run(), Outcome::Done);
    EXPECT_EQ(back->evaluation()->report(), plain->evaluation()->report());
    EXPECT_TRUE(back->evaluation()->sameHistograms[2]);

    // Without a date nothing is compared in time order, and the window says so.
    for (std::size_t n = 1; n <= catalogue.pieces.size(); ++n)
        window.document().setEncounter(n, Encounter{});
    const auto undated = commands.again(*plain, true);
    ASSERT_EQ(undated->run(), Outcome::Done);
    services.messageAnswers.push_back(PlatformServices::Answer::Ok);
    EXPECT_FALSE(commands.finished(*undated));
    EXPECT_EQ(services.messages.back().text, CatalogueCommands::kNothingInTimeOrder);
}

TEST_F(CatalogueCommandsTest, CopyPutsTheBatchToolsReport) {
    load(catalogue.text);
    const auto evaluation = run(Command::Evaluate);
    commands.copyReport(*evaluation);
    EXPECT_EQ(services.clipboard, evaluationReport(catalogue.text, ""));
    const auto check = run(Command::Check);
    commands.copyReport(*check);
    const Catalogue read = Catalogue::read(catalogue.text, Individuals());
    EXPECT_EQ(services.clipboard, CatalogueAudit::run(read, {})->report());
}

TEST_F(CatalogueCommandsTest, ShowPutsTheFindingsFirstRecordOnTheSheetExactlyAsAPick) {
    load(catalogue.text);
    const auto check = run(Command::Check);
    const auto& findings = check->audit()->findings;
    std::set<CatalogueAudit::Type> types;
    std::size_t compared = 0;
    for (std::size_t i = 0; i < findings.size(); ++i) {
        if (!types.insert(findings[i].type).second)
            continue;
        // The same data set picked from "Select Record" in a second window.
        test::FakePlatformServices pickServices;
        MainWindowModel picked(pickServices);
        picked.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
        pickServices.setClipboardText(catalogue.text);
        picked.load_Click(MainWindowModel::LoadFromClipboard);
        picked.aha_Click(MainWindowModel::SelectRecord);
        const ResultList& list = picked.listWindow().list();
        std::optional<std::size_t> entry;
        for (std::size_t e = 0; e < list.count(); ++e)
            if (list.itemData(e) == static_cast<std::int32_t>(findings[i].record - 1))
                entry = e;
        if (!entry)
            continue; // an empty piece, which "Select Record" does not list
        picked.List1_DblClick(entry);

        ASSERT_TRUE(commands.show(*check, i)) << check->audit()->line(findings[i]);
        EXPECT_EQ(window.snapshot(), picked.snapshot()) << check->audit()->line(findings[i]);
        EXPECT_EQ(window.display().recordNumber, static_cast<long long>(findings[i].record));
        EXPECT_EQ(services.clipboard, catalogue.pieces[findings[i].record - 1]);
        EXPECT_EQ(services.clipboard, pickServices.clipboard);
        // Both go through one path, so check what it does too: the sheet holds the record.
        const auto fields = SpecimenRecord::splitFields(catalogue.pieces[findings[i].record - 1]);
        if (fields.size() >= 29) {
            EXPECT_EQ(d.sheet().cell(SeamGroupId::LeftMarginal, 0), fields[1]);
            EXPECT_EQ(d.sheet().cell(SeamGroupId::RightCentral, 5), fields[28]);
        }
        ++compared;
    }
    // Duplicate lines, close and far pairs and damaged rows at least.
    EXPECT_GE(compared, 4u);
    EXPECT_FALSE(commands.show(*check, findings.size()));
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(CatalogueCommandsTest, ShowAfterTheDataSetChangedSaysSoAndChangesNothing) {
    load(catalogue.text);
    const auto check = run(Command::Check);
    ASSERT_FALSE(check->audit()->findings.empty());
    load(catalogue.text + catalogue.pieces.front() + "\r\n");
    const RecoverySnapshot before = window.snapshot();
    services.messageAnswers.push_back(PlatformServices::Answer::Ok);
    EXPECT_FALSE(commands.show(*check, 0));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, CatalogueCommands::kDataSetChanged);
    EXPECT_EQ(window.snapshot(), before);
}

TEST_F(CatalogueCommandsTest, SaveChartTakesTheFormatFromTheNameAndReportsAFailedWrite) {
    struct Case {
        std::optional<std::string> answer;
        std::string savedAs;
        bool svg;
        bool saved;
    };
    const Case cases[] = {
        {"/charts/a.svg", "/charts/a.svg", true, true},
        {"/charts/c.SVG", "/charts/c.SVG", true, true},
        {"/charts/d", "/charts/d.png", false, true},
        {"/charts/e.jpg", "/charts/e.jpg.png", false, true},
        {std::nullopt, "", false, false},
        {"/locked/f.png", "", false, false},
    };
    services.unwritable["/locked/f.png"] = "Permission denied";
    for (const Case& c : cases) {
        services.fileAnswers.push_back(c.answer);
        services.files.clear();
        std::optional<bool> askedSvg;
        if (c.answer == "/locked/f.png")
            services.messageAnswers.push_back(PlatformServices::Answer::Ok);
        const bool saved = commands.saveChart([&](bool svg) {
            askedSvg = svg;
            return std::string(svg ? "<svg/>" : "PNG");
        });
        EXPECT_EQ(saved, c.saved) << c.savedAs;
        if (c.saved) {
            EXPECT_EQ(askedSvg, c.svg) << c.savedAs;
            EXPECT_EQ(services.files.at(c.savedAs), c.svg ? "<svg/>" : "PNG");
        }
    }
    EXPECT_EQ(services.fileFilters.back(), "Pictures (*.png *.svg)|*.png *.svg");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("Permission denied"), std::string::npos);
}

TEST_F(CatalogueCommandsTest, TheChartsShowTheRatesAndTheChecksThreshold) {
    load(catalogue.text);
    const auto r = run(Command::Evaluate);
    const MatchEvaluation& evaluation = *r->evaluation();
    const auto table = CatalogueCommands::ratesTable(evaluation);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0], (std::vector<std::string>{"distance", "queries", "top1", "top5", "top10",
                                                  "top20", "mrr"}));
    EXPECT_EQ(table[3][0], "D");
    EXPECT_EQ(table[1][1], std::to_string(evaluation.queries()));

    const Catalogue read = Catalogue::read(catalogue.text, Individuals());
    for (const auto kind : kMeasures) {
        const auto h = CatalogueCommands::histogram(evaluation, kind, 60);
        ASSERT_EQ(h.same.size(), 60u);
        ASSERT_EQ(h.different.size(), 60u);
        // At least 99 % of each distribution is drawn, and no more than all of it.
        for (const auto* shares : {&h.same, &h.different}) {
            const double sum = std::accumulate(shares->begin(), shares->end(), 0.0);
            EXPECT_TRUE(sum >= 0.99 - 1e-9 && sum <= 1.0 + 1e-9) << sum;
        }
        // The threshold marked is the one the check learns from the catalogue.
        CatalogueAudit::Options options;
        options.kind = kind;
        const auto audit = CatalogueAudit::run(read, options);
        ASSERT_EQ(audit->source, CatalogueAudit::ThresholdSource::EqualError);
        ASSERT_TRUE(h.threshold);
        EXPECT_EQ(*h.threshold, audit->threshold);
        EXPECT_LE(*h.threshold, h.barWidth * 60);
    }
}

} // namespace
} // namespace korvex
