#include "uilogic/CheckWindowModel.h"

#include "MainWindowFixture.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace korvex {
namespace {

using namespace ComparisonRun;
using Seams = std::vector<std::size_t>;

// The check window's logic on the main window's, as "Check Candidate" on a
// line of the list window reaches it.
class CheckWindowModelTest : public test::MainWindowFixture {
protected:
    CheckWindowModel checks{window, services};

    std::string line(const std::string& code, double m1) {
        MeasurementSheet sheet;
        for (std::size_t i = 0; i < 28; ++i)
            sheet.setValue(i, i == 0 ? fixedText(m1, 4) : "0.1");
        return SpecimenRecord::BuildRecordLine(code, sheet);
    }
    void loadText(const std::string& text) {
        services.setClipboardText(text);
        window.load_Click(MainWindowModel::LoadFromClipboard);
    }
    // A, B and C loaded, A on the sheet, ranked by D1: A, B, C.
    void compareFromA() {
        loadText(line("A", 0.1) + "\r\n" + line("B", 0.2) + "\r\n" + line("C", 0.5) + "\r\n");
        ASSERT_TRUE(window.ShowPickedRecord(1));
        window.comp_Click(MainWindowModel::MarginalD1);
    }
    // What the window enables and says.
    void expectShown(bool stepBack, bool stepOn, bool decide, const std::string& why) {
        EXPECT_EQ(checks.canStep(-1), stepBack);
        EXPECT_EQ(checks.canStep(+1), stepOn);
        EXPECT_EQ(checks.canDecide(), decide);
        EXPECT_EQ(checks.decisionText(), why);
    }
};

TEST_F(CheckWindowModelTest, NeedsASelectedLineThatACompareCommandRanked) {
    loadText(line("A", 0.1) + "\r\n" + line("B", 0.2) + "\r\n");
    services.messageAnswers.assign(4, PlatformServices::Answer::Ok);
    EXPECT_FALSE(checks.checkSelected(0)); // no list window yet
    window.comp_Click(MainWindowModel::MarginalD1);
    EXPECT_FALSE(checks.checkSelected(std::nullopt));
    EXPECT_FALSE(checks.checkSelected(2));
    ASSERT_TRUE(checks.checkSelected(1));
    EXPECT_EQ(checks.check()->code, "B");
    EXPECT_EQ(checks.check()->recordNumber, 2U);
    window.aha_Click(MainWindowModel::SelectRecord); // the list now holds codes
    EXPECT_FALSE(checks.checkSelected(0));
    EXPECT_EQ(checks.check()->code, "B"); // what was shown stays
    ASSERT_EQ(services.messages.size(), 4U);
    EXPECT_EQ(services.messages[0].text, CheckWindowModel::kNeedsSelection);
    EXPECT_EQ(services.messages[2].text, CheckWindowModel::kNeedsSelection);
    EXPECT_EQ(services.messages[3].text, CheckWindowModel::kNeedsRanking);
}

TEST_F(CheckWindowModelTest, AVerdictIsLoggedOnThePairAndFoundAgain) {
    loadText(line("A", 0.1) + "\r\n" + line("B", 0.2) + "\r\n");
    services.now = "2026-12-09T10:00:00Z";
    // A sheet never stored: its values name it.
    window.FillSheetFromText(line("", 0.3));
    window.comp_Click(MainWindowModel::Combined);
    ASSERT_TRUE(checks.checkSelected(0));
    EXPECT_EQ(checks.decision(), nullptr);
    EXPECT_EQ(checks.decisionText(), CheckWindowModel::kUndecidedText);
    const Decision* logged = checks.decide(Verdict::DifferentAnimal);
    ASSERT_NE(logged, nullptr);
    EXPECT_EQ(logged->query.occurrence, 0U);
    EXPECT_EQ(logged->candidate.code, checks.check()->code);
    EXPECT_EQ(logged->measure, "D");
    EXPECT_EQ(logged->distance, checks.check()->listedText);
    EXPECT_EQ(logged->decidedAt, "2026-12-09T10:00:00Z");
    EXPECT_EQ(checks.decisionText(), "Decided: Different Animal (2026-12-09T10:00:00Z, at D = " +
                                         checks.check()->listedText + ").");
    window.comp_Click(MainWindowModel::Combined); // the same sheet compared again
    ASSERT_TRUE(checks.checkSelected(0));
    ASSERT_TRUE(checks.decision());
    EXPECT_EQ(checks.decision()->verdict, Verdict::DifferentAnimal);
    // Appended since, the sheet is a record; the decision still shows.
    const std::string candidateLine = checks.check()->recordLine;
    services.inputAnswers.push_back("S");
    window.AppendToList();
    window.comp_Click(MainWindowModel::Combined);
    int found = 0;
    for (std::size_t p = 0; p < 3; ++p) {
        ASSERT_TRUE(checks.checkSelected(p));
        if (checks.check()->recordLine != candidateLine)
            continue;
        ++found;
        EXPECT_EQ(checks.check()->query.code, "S");
        ASSERT_TRUE(checks.decision());
        EXPECT_EQ(checks.decision()->verdict, Verdict::DifferentAnimal);
    }
    EXPECT_EQ(found, 1);

    // With B on the sheet, B's own line cannot be decided; A against B can.
    ASSERT_TRUE(window.ShowPickedRecord(2));
    window.comp_Click(MainWindowModel::MarginalD1);
    ASSERT_TRUE(checks.checkSelected(0));
    EXPECT_EQ(checks.check()->code, "B");
    EXPECT_TRUE(checks.check()->isSelf());
    EXPECT_EQ(checks.decide(Verdict::SameAnimal), nullptr);
    expectShown(false, true, false, CheckWindowModel::kSelfText);
    ASSERT_TRUE(checks.checkSelected(1));
    ASSERT_TRUE(checks.decide(Verdict::Unsure));
    EXPECT_EQ(checks.check()->query.code, "B");
    EXPECT_EQ(checks.check()->query.occurrence, 1U);
    EXPECT_EQ(window.document().decisions().all().size(), 2U);
}

// The verdict on B checked from A shows when A is checked from B.
TEST_F(CheckWindowModelTest, ADecisionShowsAgainInTheOtherDirection) {
    compareFromA();
    ASSERT_TRUE(checks.checkSelected(1));
    ASSERT_EQ(checks.check()->code, "B");
    services.now = "2026-12-09T11:00:00Z";
    ASSERT_TRUE(checks.decide(Verdict::SameAnimal));
    const std::string listed = checks.check()->listedText;
    ASSERT_TRUE(window.ShowPickedRecord(2));
    window.comp_Click(MainWindowModel::MarginalD1);
    ASSERT_TRUE(checks.checkSelected(1));
    ASSERT_EQ(checks.check()->code, "A");
    EXPECT_EQ(checks.decisionText(),
              "Decided: Same Animal (2026-12-09T11:00:00Z, at D1 = " + listed + ").");
}

// A verdict given while the sheet was never stored names the sheet by its
// values: once stored, the sheet's record finds it from either side of the
// pair, and whichever verdict on the pair came last is the one shown.
TEST_F(CheckWindowModelTest, AVerdictOnASheetNeverStoredIsFoundFromBothSidesAndTheLastWins) {
    loadText(line("A", 0.1) + "\r\n" + line("B", 0.2) + "\r\n");
    const auto checkCode = [&](const std::string& code) {
        for (std::size_t p = 0; p < window.listWindow().list().count(); ++p)
            if (checks.checkSelected(p) && checks.check()->code == code)
                return true;
        return false;
    };
    // A checked from the sheet's values, which no record holds.
    const auto decideFromTheSheet = [&](const char* now, Verdict verdict) {
        window.FillSheetFromText(line("", 0.3));
        window.comp_Click(MainWindowModel::MarginalD1);
        ASSERT_TRUE(checkCode("A"));
        ASSERT_FALSE(checks.check()->query.isStored());
        services.now = now;
        ASSERT_TRUE(checks.decide(verdict));
        appendAs("S");
    };
    decideFromTheSheet("2026-12-09T10:00:00Z", Verdict::DifferentAnimal);

    ASSERT_TRUE(window.ShowPickedRecord(1));
    window.comp_Click(MainWindowModel::MarginalD1);
    ASSERT_TRUE(checkCode("S"));
    ASSERT_TRUE(checks.decision());
    EXPECT_EQ(checks.decision()->verdict, Verdict::DifferentAnimal);
    services.now = "2026-12-09T10:30:00Z";
    ASSERT_TRUE(checks.decide(Verdict::Unsure));

    // S taken out, its values are a sheet never stored again; a new verdict
    // then, and S appended once more with the very same line.
    ASSERT_TRUE(window.ShowPickedRecord(3));
    services.messageAnswers.push_back(PlatformServices::Answer::Yes);
    window.DeleteRecord();
    decideFromTheSheet("2026-12-09T11:00:00Z", Verdict::SameAnimal);
    window.comp_Click(MainWindowModel::MarginalD1);
    ASSERT_TRUE(checkCode("A"));
    ASSERT_TRUE(checks.check()->query.isStored());
    ASSERT_TRUE(checks.decision());
    EXPECT_EQ(checks.decision()->decidedAt, "2026-12-09T11:00:00Z");
    EXPECT_EQ(checks.decision()->verdict, Verdict::SameAnimal);
}

// A check stays with the list it was made on: after another comparison, with
// another sheet, or once the list is gone, it can no longer be decided, so no
// verdict is ever logged against a sheet it was not measured from.
TEST_F(CheckWindowModelTest, AVerdictNeedsTheListTheCheckWasMadeOn) {
    compareFromA();
    ASSERT_TRUE(checks.checkSelected(1));
    ASSERT_TRUE(checks.isCurrent());
    const RecordIdentity fromA = checks.check()->query;
    EXPECT_EQ(fromA.code, "A");
    // Stepping keeps the sheet's specimen even when another record is shown.
    ASSERT_TRUE(window.ShowPickedRecord(3));
    ASSERT_TRUE(checks.step(+1));
    EXPECT_EQ(checks.check()->query, fromA);
    ASSERT_TRUE(checks.step(-1));

    window.comp_Click(MainWindowModel::MarginalD1); // C on the sheet now
    EXPECT_FALSE(checks.isCurrent());
    EXPECT_EQ(checks.decide(Verdict::SameAnimal), nullptr);
    ASSERT_TRUE(checks.checkSelected(1));
    EXPECT_EQ(checks.check()->query.code, "C");
    ASSERT_TRUE(checks.decide(Verdict::Unsure));
    window.listWindow().close();
    EXPECT_FALSE(checks.isCurrent());
    ASSERT_EQ(window.document().decisions().all().size(), 1U);
    EXPECT_EQ(window.document().decisions().all()[0].query.code, "C");
}

// Each way a check goes stale turns stepping and deciding off and says why.
TEST_F(CheckWindowModelTest, AStaleCheckCanNeitherStepNorDecide) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"another comparison",
         [&] {
             window.comp_Click(MainWindowModel::CentralD2);
         }},
        {"the list closed",
         [&] {
             window.listWindow().close();
         }},
        {"data without the record",
         [&] {
             loadText(line("A", 0.1) + "\r\n" + line("C", 0.4) + "\r\n");
         }},
        {"the list refilled with the codes to pick from",
         [&] {
             window.aha_Click(MainWindowModel::SelectRecord);
         }},
        // A verdict now would name the sheet's record by a line it no longer
        // has. Last of the ways: it leaves the data unsaved, and loading
        // would ask about them.
        {"the sheet's record under another code",
         [&] {
             services.inputAnswers.push_back("A2");
             window.ChangeCode();
         }},
    };
    for (const auto& [name, stale] : ways) {
        SCOPED_TRACE(name);
        compareFromA();
        ASSERT_TRUE(checks.checkSelected(1));
        expectShown(true, true, true, CheckWindowModel::kUndecidedText);
        stale();
        expectShown(false, false, false, CheckWindowModel::kStaleText);
        EXPECT_FALSE(checks.step(+1));
        EXPECT_EQ(checks.check()->code, "B");
        EXPECT_EQ(checks.decide(Verdict::DifferentAnimal), nullptr);
    }
    EXPECT_TRUE(window.document().decisions().all().empty());
}

// Of two records with the same line, the first is checked; once it is taken
// out, that line's first occurrence is the other record, which was not looked
// at. A record appended changes no record compared, and the check holds.
TEST_F(CheckWindowModelTest, ACheckHoldsOnlyWhileTheRecordsComparedStay) {
    const std::string b = line("B", 0.2);
    loadText(line("A", 0.1) + "\r\n" + b + "\r\n" + b + "\r\n");
    ASSERT_TRUE(window.ShowPickedRecord(1));
    window.comp_Click(MainWindowModel::MarginalD1);
    ASSERT_TRUE(checks.checkSelected(1));
    ASSERT_EQ(checks.check()->recordNumber, 2U);
    ASSERT_EQ(checks.check()->occurrence, 1U);

    window.FillSheetFromText(line("", 0.3));
    appendAs("N");
    EXPECT_TRUE(checks.isCurrent());
    expectShown(true, true, true, CheckWindowModel::kUndecidedText);

    ASSERT_TRUE(window.ShowPickedRecord(2));
    services.messageAnswers.push_back(PlatformServices::Answer::Yes);
    window.DeleteRecord();
    ASSERT_EQ(window.dataSet().RecordCount(), 3U);
    expectShown(false, false, false, CheckWindowModel::kStaleText);
    EXPECT_EQ(checks.decide(Verdict::SameAnimal), nullptr);
    EXPECT_TRUE(window.document().decisions().empty());
}

TEST_F(CheckWindowModelTest, SteppingStopsAtBothEndsAndStartsTheLineAfresh) {
    compareFromA();
    ASSERT_TRUE(checks.checkSelected(0));
    expectShown(false, true, false, CheckWindowModel::kSelfText);
    const struct {
        int delta;
        bool moves;
        std::size_t position;
    } steps[] = {{-1, false, 0}, {+1, true, 1}, {+1, true, 2}, {+1, false, 2},
                 {+2, false, 2}, {-2, true, 0}, {0, false, 0}};
    for (const auto& s : steps) {
        checks.clickBar(true, 3);
        checks.candidateFramed(false);
        EXPECT_EQ(checks.step(s.delta), s.moves) << s.delta;
        EXPECT_EQ(checks.check()->position, s.position) << s.delta;
        // A new line lights nothing and says nothing yet; a refused step keeps both.
        EXPECT_EQ(checks.picked(), s.moves ? Seams{} : Seams{3}) << s.delta;
        EXPECT_EQ(checks.statusText().empty(), s.moves) << s.delta;
        checks.pickRow(std::nullopt);
    }
    ASSERT_TRUE(checks.step(+2));
    expectShown(true, false, true, CheckWindowModel::kUndecidedText);
    EXPECT_EQ(checks.summaryText(), "Code \u201cC\u201d  \u00b7  Record No. 3  \u00b7  D1 = " +
                                        checks.check()->listedText + " as listed (" +
                                        checks.check()->distanceText + ")  \u00b7  line 3 of 3");
    EXPECT_EQ(checks.sumsText(), checks.check()->sumText());
}

TEST_F(CheckWindowModelTest, SameScaleStaysOnWhileSteppingUntilFit) {
    compareFromA();
    ASSERT_TRUE(checks.checkSelected(1));
    EXPECT_FALSE(checks.sameScaleLength());
    EXPECT_DOUBLE_EQ(checks.sameScale(400, 300), 0.65 * 300);
    const struct {
        bool sheet, candidate, shown;
        const char* says;
    } outcomes[] = {
        {true, true, true, CheckWindowModel::kAlignedText},
        {false, false, true, "neither photo has."},
        {false, true, true, "the sheet's photo has not."},
        {true, false, true, "the candidate's photo has not."},
        {true, false, false, "the candidate has no photo shown."},
    };
    for (const auto& o : outcomes) {
        checks.sameScaleShown(o.sheet, o.candidate, o.shown);
        EXPECT_TRUE(checks.statusText().ends_with(o.says)) << checks.statusText();
        if (o.sheet && o.candidate)
            continue;
        EXPECT_TRUE(checks.statusText().starts_with(
            "Same Scale needs the whole midline, C1 to C6 or C7 to C12, clicked on both photos; "));
    }
    ASSERT_TRUE(checks.step(+1));
    EXPECT_EQ(checks.sameScaleLength(), 0.65 * 300);
    checks.candidateFramed(true);
    EXPECT_EQ(checks.statusText(), "");
    checks.candidateFramed(false);
    EXPECT_EQ(checks.statusText(), CheckWindowModel::kCandidateNotAlignedText);
    ASSERT_TRUE(checks.checkSelected(0)); // checking another line keeps it too
    EXPECT_EQ(checks.sameScaleLength(), 0.65 * 300);
    checks.candidateFramed(false);
    checks.fit();
    EXPECT_FALSE(checks.sameScaleLength());
    EXPECT_EQ(checks.statusText(), "");
    ASSERT_TRUE(checks.step(+1));
    EXPECT_FALSE(checks.sameScaleLength());
}

// The bar under the pointer lights its seams; a bar clicked or a row
// selected keeps its seams lit when the pointer leaves.
TEST_F(CheckWindowModelTest, PickedSeamsStayLitWhenThePointerLeaves) {
    compareFromA();
    window.comp_Click(MainWindowModel::Combined);
    ASSERT_TRUE(checks.checkSelected(1));
    const Seams m5{4}, j2{17, 23}, c9{24};
    const std::pair<std::function<void()>, Seams> events[] = {
        {[&] { checks.hoverBar(false, 1); }, j2},
        {[&] { checks.hoverBar(false, -1); }, {}},
        {[&] { checks.clickBar(true, 4); }, m5},
        {[&] { checks.hoverBar(false, 1); }, j2},
        {[&] { checks.hoverBar(false, 5); }, m5}, // past the last bar: the pointer left
        {[&] { checks.hoverBar(true, 4); }, m5},
        {[&] { checks.clickBar(true, 4); }, {}}, // clicked again: unpicked
        {[&] { checks.clickBar(false, 9); }, {}},
        {[&] { checks.pickRow(24); }, c9},
        {[&] { checks.hoverBar(false, 1); }, j2},
        {[&] { checks.hoverBar(false, -1); }, c9},
        {[&] { checks.pickRow(99); }, {}},
        {[&] { checks.clickBar(false, 1); }, j2},
    };
    int n = 0;
    for (const auto& [event, lit] : events) {
        event();
        EXPECT_EQ(checks.highlighted(), lit) << "event " << n++;
    }
    EXPECT_EQ(checks.picked(), j2);
    ASSERT_TRUE(checks.step(+1));
    EXPECT_TRUE(checks.highlighted().empty());
}

// The panes' titles and what the candidate's pane says without its photo;
// codes from older files are shown as every window shows them.
TEST_F(CheckWindowModelTest, ThePanesNameTheRecordAndWhyAPhotoIsMissing) {
    EXPECT_FALSE(checks.sheetShowsPhoto());
    EXPECT_EQ(checks.sheetTitle(), CheckWindowModel::kSchemeTitle);
    const std::string photo = "/data/photos/shell 1.jpg";
    services.files[photo] = "jpeg bytes";
    services.pictures.push_back({photo, {true, 6000 * 15.0F, 4000 * 15.0F, {}, nullptr, {}}});
    services.fileAnswers.push_back(photo);
    window.OpenPicture();
    d.setChecked(1, true); // the first tick only unticks "Drag and Drop"
    d.setChecked(1, true);
    d.PointerDown(DigitisingModel::kLeftButton, 100, 100);
    d.PointerDown(DigitisingModel::kLeftButton, 400, 500);
    services.inputAnswers.push_back("\x8a"
                                    "1"); // "\u01601" in Windows-1250
    window.AppendToList();
    EXPECT_TRUE(checks.sheetShowsPhoto());
    EXPECT_EQ(checks.sheetTitle(), "Sheet: shell 1.jpg");
    // Nothing clicked on the photo: the next record keeps none.
    window.ClearSheet();
    window.FillSheetFromText(line("", 0.3));
    services.inputAnswers.push_back("N");
    window.AppendToList();
    window.comp_Click(MainWindowModel::MarginalD1);

    ASSERT_TRUE(checks.checkSelected(1));
    ASSERT_EQ(checks.check()->code, "\x8a"
                                    "1");
    const std::string named = "record 1 \u201c\u01601\u201d";
    EXPECT_TRUE(checks.summaryText().starts_with(
        "Code \u201c\u01601\u201d  \u00b7  Record No. 1  \u00b7  "));
    auto candidate = checks.candidatePhoto();
    EXPECT_EQ(candidate.title, "Candidate: " + named + ", shell 1.jpg");
    EXPECT_EQ(candidate.path, photo);
    EXPECT_TRUE(candidate.entry);
    EXPECT_EQ(checks.openingText(), "Opening the photo of the candidate, " + named + "\u2026");
    EXPECT_EQ(checks.unreadableText(photo, "not a JPEG picture."),
              "The photo \u201c/data/photos/shell 1.jpg\u201d of the candidate, " + named +
                  ", could not be opened: not a JPEG picture.");

    services.files.erase(photo);
    candidate = checks.candidatePhoto();
    EXPECT_EQ(candidate.title, "Candidate: " + named);
    EXPECT_FALSE(candidate.path);
    EXPECT_EQ(candidate.placeholder,
              "The photo of the candidate, " + named +
                  ", was not found. Places tried: \u201c/data/photos/shell 1.jpg\u201d.");

    ASSERT_TRUE(checks.step(-1));
    ASSERT_EQ(checks.check()->code, "N");
    candidate = checks.candidatePhoto();
    EXPECT_EQ(candidate.title, "Candidate: record 2 \u201cN\u201d");
    EXPECT_EQ(candidate.placeholder, "The candidate, record 2 \u201cN\u201d, has no photo stored.");
    EXPECT_FALSE(candidate.entry);
}

// The sheet's pane shows the photo the values were clicked on, else the
// photo stored with the record the sheet is, else the scheme, and says which.
TEST_F(CheckWindowModelTest, TheSheetsPaneShowsThePhotoItsValuesCameFrom) {
    using Source = CheckWindowModel::SheetSource;
    const std::string photo = "/data/photos/shell 1.jpg";
    services.files[photo] = "jpeg bytes";
    services.pictures.push_back({photo, {true, 6000 * 15.0F, 4000 * 15.0F, {}, nullptr, {}}});
    const std::string other = "/data/photos/other.jpg";
    services.files[other] = "jpeg bytes";
    services.pictures.push_back({other, {true, 3000 * 15.0F, 4000 * 15.0F, {}, nullptr, {}}});
    auto open = [&](const std::string& path) {
        services.fileAnswers.push_back(path);
        window.OpenPicture();
    };
    // Two junctions clicked on the photo open: M1.
    auto clickM1 = [&] {
        d.setChecked(1, true); // the first tick after opening only unticks "Drag and Drop"
        d.setChecked(1, true);
        d.PointerDown(DigitisingModel::kLeftButton, 100, 100);
        d.PointerDown(DigitisingModel::kLeftButton, 400, 500);
    };
    auto checkFirstLine = [&](Measure by) {
        window.comp_Click(by == Measure::D1 ? MainWindowModel::MarginalD1 : MainWindowModel::Combined);
        ASSERT_TRUE(checks.checkSelected(0));
    };
    const struct {
        std::function<void()> step;
        Source source;
        std::string title;
        std::string says;
        std::optional<std::string> path;
    } rows[] = {
        {[] {}, Source::Scheme, CheckWindowModel::kSchemeTitle,
         "No photo is open in the main window: the seam scheme is shown.", std::nullopt},
        // Clicked on the photo open, and appended as A with it.
        {[&] {
             open(photo);
             clickM1();
             services.inputAnswers.push_back("A");
             window.AppendToList();
             window.FillSheetFromText(line("B", 0.4));
             services.inputAnswers.push_back("B");
             window.AppendToList(); // B keeps no photo: nothing was clicked for it
             window.ShowPickedRecord(1);
             open(photo);
             clickM1();
             checkFirstLine(Measure::D1);
         },
         Source::ClickedPhoto, "Sheet: shell 1.jpg",
         "The sheet's values were clicked on this photo, the one open in the main window.",
         std::nullopt},
        // A shown again while another photo is open: A's own photo.
        {[&] {
             open(other);
             window.ShowPickedRecord(1);
             checkFirstLine(Measure::D);
         },
         Source::RecordPhoto, "Sheet: record 1 \u201cA\u201d, shell 1.jpg",
         "The sheet holds the values of record 1 \u201cA\u201d: this is the photo stored with it.",
         photo},
        {[&] {
             window.ShowPickedRecord(2);
             checkFirstLine(Measure::D);
         },
         Source::Scheme, "Sheet: the seam scheme",
         "The sheet's values were not clicked on the photo open in the main window, and record 2 "
         "\u201cB\u201d, whose values the sheet holds, keeps no photo: the seam scheme is shown.",
         std::nullopt},
        {[&] {
             services.files.erase(photo);
             window.ShowPickedRecord(1);
             checkFirstLine(Measure::D);
         },
         Source::Scheme, "Sheet: the seam scheme",
         "The sheet's values were not clicked on the photo open in the main window, and the photo "
         "stored with record 1 \u201cA\u201d, whose values the sheet holds, was not found (places "
         "tried: \u201c/data/photos/shell 1.jpg\u201d): the seam scheme is shown.",
         std::nullopt},
        {[&] {
             window.FillSheetFromText(line("", 0.7));
             checkFirstLine(Measure::D);
         },
         Source::Scheme, "Sheet: the seam scheme",
         "The sheet's values were not clicked on the photo open in the main window, and no stored "
         "record with a photo holds them: the seam scheme is shown.",
         std::nullopt},
    };
    for (std::size_t n = 0; n < std::size(rows); ++n) {
        rows[n].step();
        const auto sheet = checks.sheetPhoto();
        EXPECT_EQ(sheet.source, rows[n].source) << "row " << n;
        EXPECT_EQ(sheet.title, rows[n].title) << "row " << n;
        EXPECT_EQ(checks.sheetTitle(), rows[n].title) << "row " << n;
        EXPECT_EQ(sheet.says, rows[n].says) << "row " << n;
        EXPECT_EQ(sheet.path, rows[n].path) << "row " << n;
        EXPECT_EQ(sheet.entry != nullptr, rows[n].path.has_value()) << "row " << n;
        EXPECT_EQ(checks.sheetShowsPhoto(), rows[n].source == Source::ClickedPhoto) << "row " << n;
        if (sheet.path) {
            EXPECT_EQ(sheet.opening, "Opening the photo of record 1 \u201cA\u201d\u2026");
            EXPECT_EQ(checks.sheetUnreadableText(*sheet.path, "not a JPEG picture."),
                      "The photo \u201c/data/photos/shell 1.jpg\u201d of record 1 \u201cA\u201d, "
                      "whose values the sheet holds, could not be opened: not a JPEG picture.");
        }
    }
}

} // namespace
} // namespace korvex
