#include "uilogic/MeasureAgainCommands.h"

#include "MainWindowFixture.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace korvex {
namespace {

using Answer = PlatformServices::Answer;
constexpr auto LM = SeamGroupId::LeftMarginal;

// Three records appended on their own photos, one without a photo, and the
// user's sheet holding values of their own when "Measure Again…" starts.
class MeasureAgainCommandsTest : public test::MainWindowFixture {
protected:
    MeasureAgainCommands commands{services, window};
    std::vector<std::string> photos{"/data/a.jpg", "/data/b.jpg", "/data/c.jpg"};
    std::string dataSetBefore;

    void SetUp() override {
        MainWindowFixture::SetUp();
        commands.proposeSeed = [] {
            return 48213U;
        };
        for (std::size_t i = 0; i < photos.size(); ++i) {
            services.files[photos[i]] = "jpeg bytes";
            services.pictures.push_back(
                {photos[i], {true, 3000 * 15.0F, 2000 * 15.0F, {}, nullptr, {}}});
            services.fileAnswers.push_back(photos[i]);
            window.OpenPicture();
            digitise(float(i));
            appendAs("T" + std::to_string(i));
        }
        window.ClearSheet();
        appendAs("NOPHOTO");
        d.setBoxText(LM, 0, "users value");
        d.setBoxText(SeamGroupId::LeftCentral2, 6, "users central 2");
        dataSetBefore = window.dataSet().text();
    }
    // The lengths of M1..M8, as a user clicks them after opening a photo
    // (the first tick only unticks "Drag and Drop").
    void digitise(float shift) {
        d.setChecked(1, true);
        d.setChecked(1, true);
        for (int i = 0; i <= 8; ++i)
            d.PointerDown(DigitisingModel::kLeftButton, 100.0F * float(i) + shift,
                          50.0F * float(i % 2));
    }
    void startWith(std::vector<std::string> answers) {
        for (auto& a : answers)
            services.inputAnswers.push_back(std::move(a));
        ASSERT_TRUE(commands.start());
    }
    const MeasureAgainSession::Target& current() { return *commands.session()->current(); }
    bool messageSays(std::size_t i, const std::string& part) const {
        return i < services.messages.size() &&
               services.messages[i].text.find(part) != std::string::npos;
    }
};

TEST_F(MeasureAgainCommandsTest, EachPhotoOpensBlindOnAClearedSheetAndEachRepeatIsKeptAtOnce) {
    startWith({"10", "48213", "ann"});
    ASSERT_EQ(commands.session()->targets().size(), 3U); // those that keep a photo
    std::vector<std::size_t> seen;
    for (int step = 0; step < 3; ++step) {
        const auto& target = current();
        seen.push_back(target.recordNumber);
        EXPECT_EQ(commands.panelText(), "Measuring again: record " +
                                            std::to_string(target.recordNumber) + ", " +
                                            std::to_string(step + 1) + " of 3; seed 48213");
        EXPECT_EQ(window.photoRecords().openPhoto(), target.entry->photoPath);
        EXPECT_EQ(d.caption(), target.entry->photoPath);
        for (const auto& s : d.segments())
            EXPECT_FALSE(s) << "a stored junction is shown";
        EXPECT_EQ(d.sheet().value(0), "0");
        if (step == 1) {
            commands.skip();
            continue;
        }
        digitise(7.0F);
        window.Command_Click(seamGroup(LM).command);
        EXPECT_TRUE(d.sheet().labelsLower(LM));
        const auto clicked = d.segments();
        // The other three groups are not standardised: kept only on Yes.
        services.messageAnswers.push_back(Answer::Yes);
        if (step == 2)
            services.messageAnswers.push_back(Answer::Ok); // the session ends
        const std::size_t said = services.messages.size();
        commands.keep();
        ASSERT_TRUE(messageSays(said, "M9…M16, C1…C6, C7…C12 are not standardised"));
        const auto& kept =
            step == 0 ? commands.session()->kept() : window.document().repeats().toVector();
        ASSERT_FALSE(kept.empty());
        EXPECT_EQ(kept.back().segments, clicked);
        if (step == 0) {
            // In the catalogue at once, so that a recovery copy holds it.
            ASSERT_EQ(window.document().repeats().size(), 1U);
            EXPECT_EQ(window.document().repeats()[0], kept.back());
        }
    }
    // The last keep ended the session.
    EXPECT_FALSE(commands.running());
    EXPECT_EQ(commands.panelText(), "");
    ASSERT_TRUE(messageSays(services.messages.size() - 1,
                            "Measuring again has ended: 2 repeats were kept."));
    const auto byRecord = window.document().repeatsByRecord();
    ASSERT_EQ(byRecord.size(), 2U);
    EXPECT_EQ(byRecord[0].first, seen[0]);
    EXPECT_EQ(byRecord[1].first, seen[2]);
    for (const auto& [number, repeat] : byRecord) {
        EXPECT_EQ(repeat->operatorName, "ann");
        EXPECT_EQ(repeat->measuredAt, services.now);
        EXPECT_EQ(repeat->values.substr(0, 4), "\t0.1") << repeat->values; // M1, standardised
    }
    EXPECT_EQ(window.dataSet().text(), dataSetBefore) << "a repeat is never a record";
    EXPECT_EQ(d.sheet().value(0), "users value");
    EXPECT_EQ(d.sheet().value(seamGroup(SeamGroupId::LeftCentral2).firstSheetIndex + 6),
              "users central 2");
}

TEST_F(MeasureAgainCommandsTest, KeepIsRefusedWithAReasonAndTheRecordStaysCurrent) {
    startWith({"2", "5", ""});
    struct Case {
        const char* what;
        std::function<void()> before;
        std::vector<Answer> answers;
        std::string said;
    };
    const Case cases[] = {
        {"nothing clicked", [] {}, {Answer::Ok}, "Nothing has been measured on the photo yet"},
        {"not standardised, No", [&] { digitise(3.0F); }, {Answer::No}, "not standardised"},
        {"another photo open",
         [&] {
             services.fileAnswers.push_back(photos[0] == current().entry->photoPath ? photos[1]
                                                                                    : photos[0]);
             window.OpenPicture();
             digitise(3.0F);
         },
         {Answer::Ok},
         "is not the photo of record"},
        {"a value with a decimal comma",
         [&] {
             services.fileAnswers.push_back(current().entry->photoPath);
             window.OpenPicture();
             digitise(3.0F);
             d.setBoxText(LM, 2, "0,0612");
         },
         {Answer::Ok},
         "the value of M3, \"0,0612\", has a decimal comma and reads as 0."},
    };
    for (const Case& k : cases) {
        const std::size_t number = current().recordNumber;
        k.before();
        services.messages.clear();
        for (const Answer a : k.answers)
            services.messageAnswers.push_back(a);
        commands.keep();
        ASSERT_EQ(services.messages.size(), 1U) << k.what;
        EXPECT_TRUE(messageSays(0, k.said)) << k.what << ": " << services.messages[0].text;
        EXPECT_EQ(commands.session()->position(), 0U) << k.what;
        EXPECT_EQ(current().recordNumber, number) << k.what;
        EXPECT_TRUE(commands.session()->kept().empty()) << k.what;
    }
    services.messageAnswers.push_back(Answer::Ok);
    commands.stop();
    EXPECT_TRUE(messageSays(services.messages.size() - 1, "0 repeats were kept"));
    EXPECT_TRUE(window.document().repeats().empty());
}

TEST_F(MeasureAgainCommandsTest, APhotoNoLongerFoundIsSaidAndOffersSkipOrStop) {
    for (const char* pressed : {MeasureAgainCommands::kSkip, MeasureAgainCommands::kStop}) {
        // Seed 5 picks the three in one order; the second one's photo goes.
        const auto order =
            MeasureAgainSession::pick(window.dataSet(), window.document().photoEntries(), 3, 5);
        const std::string gone = order[1].entry->photoPath;
        const std::string kept = services.files[gone];
        services.files.erase(gone);
        startWith({"3", "5", "bo"});
        EXPECT_EQ(current().recordNumber, order[0].recordNumber);
        std::vector<std::string> panel;
        commands.onChanged = [&] {
            panel.push_back(commands.panelText());
        };
        services.messages.clear();
        services.choiceAnswers.push_back(pressed);
        const bool stops = std::string(pressed) == MeasureAgainCommands::kStop;
        if (stops)
            services.messageAnswers.push_back(Answer::Ok);
        commands.skip();
        ASSERT_GE(services.messages.size(), 1U);
        EXPECT_TRUE(messageSays(0, "The photo of record " + std::to_string(order[1].recordNumber) +
                                       " was not found at \"" + gone + "\"."))
            << services.messages[0].text;
        EXPECT_EQ(
            services.messages[0].choices,
            (std::vector<std::string>{MeasureAgainCommands::kSkip, MeasureAgainCommands::kStop}));
        // While it is asked about, the panel names the record whose photo is gone.
        ASSERT_FALSE(panel.empty());
        EXPECT_EQ(panel.front(), "Measuring again: record " +
                                     std::to_string(order[1].recordNumber) + ", 2 of 3; seed 5");
        if (stops) {
            EXPECT_FALSE(commands.running());
            EXPECT_TRUE(messageSays(1, "0 repeats were kept"));
        } else {
            ASSERT_TRUE(commands.running());
            EXPECT_EQ(commands.session()->position(), 2U);
            EXPECT_EQ(current().recordNumber, order[2].recordNumber);
            EXPECT_EQ(d.caption(), order[2].entry->photoPath);
            services.messageAnswers.push_back(Answer::Ok);
            commands.stop();
        }
        services.files[gone] = kept;
        commands.onChanged = {};
    }
}

// The user goes on working meanwhile: a record renamed keeps its photo entry,
// so its repeat is kept for it as it is now and its photo is still found; a
// record deleted is said, not searched for.
TEST_F(MeasureAgainCommandsTest, ARecordRenamedMeanwhileKeepsItsRepeatAndOneDeletedIsSaid) {
    const auto order =
        MeasureAgainSession::pick(window.dataSet(), window.document().photoEntries(), 3, 5);
    startWith({"3", "5", "ann"});
    const auto renamed = [&](std::size_t number, const std::string& code) {
        const std::string now(SpecimenRecord::withCode(window.dataSet().piece(number - 1), code));
        EXPECT_TRUE(window.document().replaceRecord(number, now));
        return now;
    };
    // The record measured now, and the next one, both renamed.
    const std::string first = renamed(order[0].recordNumber, "R0");
    const std::string second = renamed(order[1].recordNumber, "R1");
    digitise(7.0F);
    services.messageAnswers.push_back(Answer::Yes); // kept though not standardised
    commands.keep();
    auto byRecord = window.document().repeatsByRecord();
    ASSERT_EQ(byRecord.size(), 1U);
    EXPECT_EQ(byRecord[0].first, order[0].recordNumber);
    EXPECT_EQ(byRecord[0].second->recordLine, first);
    ASSERT_TRUE(commands.running());
    EXPECT_EQ(d.caption(), order[1].entry->photoPath) << "the renamed record's photo is shown";

    // The second kept too; the third record deleted before its turn.
    digitise(5.0F);
    ASSERT_TRUE(window.document().deleteRecord(order[2].recordNumber));
    services.messageAnswers.push_back(Answer::Yes);
    services.messages.clear();
    services.choiceAnswers.push_back(MeasureAgainCommands::kSkip);
    services.messageAnswers.push_back(Answer::Ok);
    commands.keep();
    ASSERT_GE(services.messages.size(), 3U);
    EXPECT_TRUE(messageSays(1, "Record " + std::to_string(order[2].recordNumber) +
                                   " is no longer in the data set."))
        << services.messages[1].text;
    EXPECT_FALSE(commands.running());
    EXPECT_TRUE(messageSays(2, "Measuring again has ended: 2 repeats were kept."))
        << services.messages[2].text;
    byRecord = window.document().repeatsByRecord();
    ASSERT_EQ(byRecord.size(), 2U);
    EXPECT_EQ(byRecord[1].second->recordLine, second);
}

// A record deleted before the one measured moves it up: the panel and the
// messages name it by the number it has now, the one the user would look up.
TEST_F(MeasureAgainCommandsTest, TheRecordMeasuredIsNamedByItsNumberNow) {
    startWith({"3", "5", ""});
    if (current().recordNumber == 1)
        commands.skip();
    const std::size_t number = current().recordNumber;
    ASSERT_GT(number, 1U);
    ASSERT_TRUE(window.document().deleteRecord(1));
    EXPECT_TRUE(commands.panelText().starts_with("Measuring again: record " +
                                                 std::to_string(number - 1) + ", "))
        << commands.panelText();
    services.messages.clear();
    services.messageAnswers.push_back(Answer::Ok);
    commands.keep(); // nothing clicked yet
    EXPECT_TRUE(messageSays(0, "Nothing has been measured")) << services.messages[0].text;
    services.fileAnswers.push_back(photos[0] == current().entry->photoPath ? photos[1] : photos[0]);
    window.OpenPicture();
    services.messageAnswers.push_back(Answer::Ok);
    commands.keep();
    EXPECT_TRUE(
        messageSays(1, "is not the photo of record " + std::to_string(number - 1) + " any more"))
        << services.messages[1].text;
    services.messageAnswers.push_back(Answer::Ok);
    commands.stop();
}

TEST_F(MeasureAgainCommandsTest, TheUsersPhotoComesBackWithItsJunctionsOrIsSaidToBeGone) {
    // The user is digitising the photo still open from the set-up.
    const std::string userPhoto = *window.photoRecords().openPhoto();
    digitise(3.0F);
    const auto userSegments = d.segments();
    const std::string userValue = d.sheet().value(0);
    ASSERT_TRUE(userSegments[0]);

    startWith({"3", "5", "ann"});
    EXPECT_NE(d.segments(), userSegments);
    services.messageAnswers.push_back(Answer::Ok);
    commands.skip();
    commands.stop();
    EXPECT_EQ(window.photoRecords().openPhoto(), userPhoto);
    EXPECT_EQ(d.caption(), userPhoto);
    EXPECT_EQ(d.segments(), userSegments) << "the junctions clicked on it come back";
    EXPECT_EQ(d.sheet().value(0), userValue);
    ASSERT_TRUE(messageSays(services.messages.size() - 1, "Your sheet is back as it was."));
    EXPECT_FALSE(messageSays(services.messages.size() - 1, "still open"));

    // Gone from the disk meanwhile: said, and the sheet still comes back.
    startWith({"3", "5", "ann"});
    const std::string shown = *window.photoRecords().openPhoto();
    std::erase_if(services.pictures, [&](const auto& p) { return p.first == userPhoto; });
    services.messageAnswers.push_back(Answer::Ok);
    commands.stop();
    if (shown != userPhoto) {
        EXPECT_EQ(window.photoRecords().openPhoto(), shown);
    }
    EXPECT_EQ(d.sheet().value(0), userValue);
    EXPECT_TRUE(messageSays(services.messages.size() - 1,
                            "Your photo \"" + userPhoto + "\" could not be opened again: "
                            "not a JPEG picture. The photo of the last record measured is "
                            "still open."))
        << services.messages.back().text;
}

// Records what each question offered.
class OfferingServices : public test::FakePlatformServices {
public:
    std::vector<std::string> offered;
    // The question (from 0, counted in `offered`) answered with Cancel.
    int cancelAtQuestion = -1;
    std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) override {
        offered.push_back(defaultText);
        if (static_cast<int>(offered.size()) - 1 == cancelAtQuestion)
            return std::nullopt;
        return FakePlatformServices::askText(prompt, title, defaultText);
    }
};

TEST(MeasureAgainQuestions, BadAnswersAreAskedAgainCancelStartsNothingAndTheNameIsOffered) {
    OfferingServices services;
    MainWindowModel window{services};
    window.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
    MeasureAgainCommands commands{services, window};
    commands.proposeSeed = [] {
        return 31337U;
    };

    // No record keeps a photo: said at once, nothing asked.
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_FALSE(commands.start());
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].text, MeasureAgainCommands::kNoPhotos);
    EXPECT_TRUE(services.offered.empty());

    const std::string photo = "/p/t.jpg";
    services.files[photo] = "jpeg";
    services.pictures.push_back({photo, {true, 3000 * 15.0F, 2000 * 15.0F, {}, nullptr, {}}});
    services.fileAnswers.push_back(photo);
    window.OpenPicture();
    window.digitising().setChecked(1, true);
    window.digitising().setChecked(1, true);
    window.digitising().PointerDown(DigitisingModel::kLeftButton, 10.0F, 10.0F);
    window.digitising().PointerDown(DigitisingModel::kLeftButton, 90.0F, 10.0F);
    services.inputAnswers.push_back("T1");
    window.AppendToList();

    // Cancel at any of the three questions starts nothing.
    for (int at = 0; at < 3; ++at) {
        services.offered.clear();
        services.messages.clear();
        services.cancelAtQuestion = at;
        for (const char* a : {"4", "9"})
            services.inputAnswers.push_back(a);
        EXPECT_FALSE(commands.start()) << at;
        EXPECT_FALSE(commands.running()) << at;
        EXPECT_TRUE(services.messages.empty()) << at;
        EXPECT_EQ(services.offered.size(), std::size_t(at) + 1);
        services.inputAnswers.clear();
    }
    services.cancelAtQuestion = -1;

    // Refused answers are said and asked again, offering what was typed.
    services.offered.clear();
    services.messages.clear();
    for (const char* a : {"0", "two", "2", "-1", "7", "a\tb", "bo"})
        services.inputAnswers.push_back(a);
    for (int i = 0; i < 4; ++i)
        services.messageAnswers.push_back(Answer::Ok);
    ASSERT_TRUE(commands.start());
    EXPECT_EQ(services.offered,
              (std::vector<std::string>{"10", "0", "two", "31337", "-1", "", "a\tb"}));
    ASSERT_EQ(services.messages.size(), 4U);
    EXPECT_NE(services.messages[0].text.find("\"0\" is no number of records"), std::string::npos);
    EXPECT_NE(services.messages[2].text.find("\"-1\" is no seed"), std::string::npos);
    EXPECT_NE(services.messages[3].text.find("TAB"), std::string::npos);
    EXPECT_EQ(commands.session()->seed(), 7U);
    EXPECT_EQ(commands.session()->targets().size(), 1U);
    EXPECT_EQ(commands.session()->operatorName(), "bo");
    EXPECT_FALSE(commands.start()) << "one session at a time";
    services.messageAnswers.push_back(Answer::Ok);
    commands.stop();

    // The next session offers the name given last.
    services.offered.clear();
    for (const char* a : {"1", "8", "bo"})
        services.inputAnswers.push_back(a);
    ASSERT_TRUE(commands.start());
    EXPECT_EQ(services.offered.back(), "bo");
}

} // namespace
} // namespace korvex
