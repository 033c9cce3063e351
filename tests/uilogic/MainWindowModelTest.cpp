#include "uilogic/MainWindowModel.h"

#include "FakePlatformServices.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using test::FakePlatformServices;
constexpr auto LM = SeamGroupId::LeftMarginal;
constexpr auto RM = SeamGroupId::RightMarginal;
constexpr auto LC = SeamGroupId::LeftCentral;
constexpr auto RC = SeamGroupId::RightCentral;

class MainWindowModelTest : public ::testing::Test {
protected:
    FakePlatformServices services;
    MainWindowModel window{services};
    DigitisingModel& d = window.digitising();

    void startUp() {
        window.StartUp([] {
            return MainWindowModel::WindowMetrics{15135.0F, 14460.0F, 4200.0F, 120.0F};
        });
    }
};

TEST_F(MainWindowModelTest, StartUpClearsTheClipboardBeforeShowingAndSizesTheViewport) {
    services.setClipboardText("left over");
    bool clearedBeforeShow = false;
    window.StartUp([&] {
        clearedBeforeShow = services.clipboardClears == 1 && services.clipboardText().empty();
        return MainWindowModel::WindowMetrics{15135.0F, 14460.0F, 4200.0F, 120.0F};
    });
    EXPECT_TRUE(clearedBeforeShow);
    EXPECT_EQ(window.dataSet().text(), "");
    EXPECT_FLOAT_EQ(d.viewportWidth(), 15135.0F - 4200.0F - 300.0F);
    EXPECT_FLOAT_EQ(d.viewportHeight(), 14460.0F - 240.0F);
    EXPECT_EQ(window.display().countText, "0");
    EXPECT_EQ(window.display().recordNumber, 1);
    EXPECT_EQ(window.display().code, "");
    // The scheme stands at its natural size until a photograph is opened.
    EXPECT_FLOAT_EQ(d.pictureView().left, 660.0F);
    EXPECT_FLOAT_EQ(d.pictureView().top, 360.0F);
    EXPECT_FLOAT_EQ(d.pictureView().width, 8775.0F);
    EXPECT_FLOAT_EQ(d.pictureView().height, 9105.0F);
    EXPECT_EQ(d.caption(), "KORVEX 1.0");
}

TEST_F(MainWindowModelTest, ClearSheetAfterDigitisingAndStandardising) {
    startUp();
    for (SeamGroupId g : {LM, RM, LC, RC, SeamGroupId::LeftCentral2})
        for (std::size_t i = 0; i < seamGroup(g).count; ++i)
            d.setBoxText(g, i, "3");
    window.Command_Click(1); // Standardize M1..M8
    window.Command_Click(6); // Standardize C7..C12
    ASSERT_EQ(d.sheet().cell(LM, 0), "0.1250");
    ASSERT_TRUE(d.sheet().labelsLower(LM));

    window.Command_Click(4);
    for (SeamGroupId g : kLabelledGroups) {
        for (std::size_t i = 0; i < seamGroup(g).count; ++i)
            EXPECT_EQ(d.sheet().cell(g, i), "0");
        EXPECT_FALSE(d.sheet().labelsLower(g));
    }
    EXPECT_EQ(d.sheet().labelCaption(RC, 5), "C12");
    EXPECT_EQ(d.sheet().cell(SeamGroupId::LeftCentral2, 0), "3"); // never cleared
    // No tool was ticked: M1..M8 are being digitised with the focus in M1.
    EXPECT_TRUE(d.checked(1));
    EXPECT_EQ(d.state().groupActive[0], 1);
    EXPECT_TRUE(d.commandEnabled(LM));
    ASSERT_TRUE(d.focusedBox());
    EXPECT_EQ(*d.focusedBox(), (DigitisingModel::BoxRef{LM, 0}));
    EXPECT_EQ(d.state().targetIndex, 0);
    EXPECT_FALSE(d.guideLine());
}

TEST_F(MainWindowModelTest, ClearSheetWithAToolTickedLeavesEveryBoxUnticked) {
    startUp();
    for (int tool : {DigitisingModel::kZoomBox, DigitisingModel::kDragBox}) {
        d.setChecked(tool, true);
        window.ClearSheet();
        for (int box = 1; box <= DigitisingModel::kCheckBoxCount; ++box)
            EXPECT_FALSE(d.checked(box)) << "tool " << tool << ", box " << box;
        for (auto flag : d.state().groupActive)
            EXPECT_EQ(flag, 0);
    }
}

TEST_F(MainWindowModelTest, OpenPicturePassesThePathAndSizeToTheModel) {
    startUp();
    d.setViewportSize(9000.0F, 14000.0F);
    FakePlatformServices::PictureResult ok;
    ok.ok = true;
    ok.widthTwips = 12000.0F;
    ok.heightTwips = 8000.0F;
    services.pictures.push_back({"/photos/k1.jpg", ok});
    services.fileAnswers.push_back("/photos/k1.jpg");
    window.open_Click(MainWindowModel::OpenPictureEntry);

    EXPECT_EQ(services.fileFilters.at(0), "Pictures (*.jpg)|*.jpg");
    // The fit itself is DigitisingModelTest's; the height shows which side came as which.
    EXPECT_FLOAT_EQ(d.pictureView().height, 6000.0F);
    EXPECT_EQ(d.caption(), "/photos/k1.jpg");
}

TEST_F(MainWindowModelTest, CancelledOrUnreadablePictureChangesNothing) {
    startUp();
    const PictureView before = d.pictureView();
    services.fileAnswers.push_back(std::nullopt);
    window.open_Click(MainWindowModel::OpenPictureEntry);
    EXPECT_TRUE(services.messages.empty());

    services.fileAnswers.push_back("/photos/broken.jpg");
    services.messageAnswers.push_back(PlatformServices::Answer::Ok);
    window.open_Click(MainWindowModel::OpenPictureEntry);
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_NE(services.messages[0].text.find("/photos/broken.jpg"), std::string::npos);
    EXPECT_NE(services.messages[0].text.find("not a JPEG picture"), std::string::npos);

    EXPECT_EQ(d.caption(), "KORVEX 1.0");
    EXPECT_FLOAT_EQ(d.pictureView().width, before.width);
    EXPECT_FLOAT_EQ(d.pictureView().left, before.left);
    EXPECT_FALSE(d.checked(DigitisingModel::kDragBox));
}

TEST_F(MainWindowModelTest, MenuIndicesWithoutACommandDoNothing) {
    startUp();
    int closes = 0;
    window.onCloseRequested = [&] {
        ++closes;
    };
    for (int index : {20, 40, 45, 1, -1})
        window.open_Click(index);
    for (int index : {0, 10, 20, 25, -30})
        window.file_Click(index);
    // A comp index that is no Compare entry ranks nothing, even with records loaded.
    services.setClipboardText("T1\t1\r\n");
    window.load_Click(MainWindowModel::LoadFromClipboard);
    services.clearClipboard();
    for (int index : {0, 16, 44, 46, -15})
        window.comp_Click(index);
    EXPECT_FALSE(window.listWindow().exists());
    EXPECT_EQ(window.comparison().run, 0U);
    EXPECT_FALSE(services.clipboardHasText);
    EXPECT_EQ(closes, 0);
    window.open_Click(MainWindowModel::EndEntry);
    EXPECT_EQ(closes, 1);
}

TEST_F(MainWindowModelTest, EachStandardizeButtonStandardisesItsOwnGroup) {
    startUp();
    const std::pair<int, SeamGroupId> buttons[] = {{1, LM},
                                                   {2, RM},
                                                   {5, LC},
                                                   {6, RC},
                                                   {7, SeamGroupId::LeftCentral2},
                                                   {8, SeamGroupId::RightCentral2}};
    for (auto [command, group] : buttons) {
        for (std::size_t i = 0; i < seamGroup(group).count; ++i)
            d.setBoxText(group, i, "2");
        window.Command_Click(command);
        EXPECT_FALSE(d.commandEnabled(group)) << command;
        for (auto [otherCommand, other] : buttons) {
            if (other != group && d.sheet().cell(other, 0) == "0") {
                EXPECT_TRUE(d.commandEnabled(other)) << command << " touched " << otherCommand;
            }
        }
    }
    EXPECT_EQ(d.sheet().cell(RM, 7), "0.1250");
    EXPECT_EQ(d.sheet().cell(RC, 0), "0.1667");
    EXPECT_EQ(d.sheet().cell(SeamGroupId::RightCentral2, 0), "0.8571");
}

// A length typed with a decimal comma reads as the digits before it: a
// standardisation would write the group over with wrong values and lose what
// was typed, so it says so and changes nothing.
TEST_F(MainWindowModelTest, StandardizeOfALengthWithADecimalCommaChangesNothing) {
    startUp();
    const struct {
        int command;
        SeamGroupId group;
        std::size_t cell;
        const char* names;
    } cases[] = {
        {2, RM, 2, "the value of M11, \"12,5\", has a decimal comma and reads as 12."},
        {8, SeamGroupId::RightCentral2, 3,
         "the value of box 4 of the right \"Central 2\" column, \"12,5\", has a decimal comma"},
    };
    for (const auto& c : cases) {
        services.messages.clear();
        for (std::size_t i = 0; i < seamGroup(c.group).count; ++i)
            d.setBoxText(c.group, i, i == c.cell ? "12,5" : "2");
        services.messageAnswers = {PlatformServices::Answer::Ok};
        window.Command_Click(c.command);
        ASSERT_EQ(services.messages.size(), 1U) << c.command;
        EXPECT_NE(services.messages[0].text.find(
                      std::string("The lengths cannot be standardised: ") + c.names),
                  std::string::npos)
            << services.messages[0].text;
        EXPECT_EQ(d.sheet().cell(c.group, c.cell), "12,5");
        EXPECT_EQ(d.sheet().cell(c.group, 0), "2");
        EXPECT_TRUE(d.commandEnabled(c.group));

        d.setBoxText(c.group, c.cell, "12.5"); // typed again with a point
        window.Command_Click(c.command);
        EXPECT_EQ(services.messages.size(), 1U);
        EXPECT_FALSE(d.commandEnabled(c.group));
    }
}

} // namespace
} // namespace korvex
