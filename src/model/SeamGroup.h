#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace korvex {

// The six groups of sheet values that are digitised, standardised and compared
// together, in the order a record stores the first four.
enum class SeamGroupId {
    LeftMarginal,
    RightMarginal,
    LeftCentral,
    RightCentral,
    LeftCentral2,
    RightCentral2,
};

inline constexpr std::size_t kSeamGroupCount = 6;

// Where the seams stand in a record line: field 0 is the code, then M1..M16,
// then C1..C12 (field k holds sheet value k - 1).
namespace RecordLayout {
inline constexpr std::size_t kMarginalGroupSize = 8; // M1..M8, M9..M16
inline constexpr std::size_t kCentralGroupSize = 6;  // C1..C6, C7..C12
inline constexpr std::size_t kMarginalCount = 2 * kMarginalGroupSize;
inline constexpr std::size_t kCentralCount = 2 * kCentralGroupSize;
inline constexpr std::size_t kFirstMarginalField = 1;
inline constexpr std::size_t kFirstCentralField = kFirstMarginalField + kMarginalCount; // 17
inline constexpr std::size_t kLastRecordField = kFirstCentralField + kCentralCount - 1; // 28
// A line of fewer fields ends a distance pass ("No data were selected.").
inline constexpr std::size_t kPassMinimumFields = 10;
// A text of fewer fields fills nothing onto the sheet.
inline constexpr std::size_t kFillMinimumFields = 12;
} // namespace RecordLayout

// One row of the seam group table: where the group's cells stand on the sheet,
// how its seam labels read, and which window controls belong to it.
struct SeamGroup {
    SeamGroupId id;
    std::string_view textArray;   // box array of the cells ("Text1")
    std::size_t firstSheetIndex;  // position of cell 0 in sheet order
    std::size_t count;            // number of cells
    char seamLetter;              // 'M' or 'C'; '\0' for a group without seam labels
    int firstSeamNumber;          // number in the caption of label 0 ("M9" -> 9)
    std::string_view labelArray;  // label array of the seam labels ("Label10"), empty if none
    int modeSwitch;               // number of the check box that switches digitising on
    std::string_view modeCaption; // caption of that check box
    int command;                  // number of the standardise button
    std::string_view commandCaption;
    double targetTotal; // what the standardised cells add up to

    bool hasLabels() const { return seamLetter != '\0'; }
    std::size_t lastIndex() const { return count - 1; }
};

inline constexpr std::array<SeamGroup, kSeamGroupCount> kSeamGroups{{
    {SeamGroupId::LeftMarginal, "Text1", 0, RecordLayout::kMarginalGroupSize, 'M', 1, "Label1", 1,
     "Marginal", 1, "Standardize", 1.0},
    {SeamGroupId::RightMarginal, "Text2", 8, RecordLayout::kMarginalGroupSize, 'M', 9, "Label10", 2,
     "Marginal", 2, "Standardize", 1.0},
    {SeamGroupId::LeftCentral, "Text3", 16, RecordLayout::kCentralGroupSize, 'C', 1, "Label30", 5,
     "Central", 5, "Standardize", 1.0},
    {SeamGroupId::RightCentral, "Text4", 22, RecordLayout::kCentralGroupSize, 'C', 7, "Label40", 6,
     "Central", 6, "Standardize", 1.0},
    {SeamGroupId::LeftCentral2, "Text5", 28, 7, '\0', 0, "", 7, "Central 2", 7, "Stand.", 6.0},
    {SeamGroupId::RightCentral2, "Text6", 35, 7, '\0', 0, "", 8, "Central 2", 8, "Stand.", 6.0},
}};

static_assert(kSeamGroups[2].firstSheetIndex == RecordLayout::kFirstCentralField - 1 &&
                  kSeamGroups[3].firstSheetIndex + kSeamGroups[3].count ==
                      RecordLayout::kLastRecordField,
              "the record's seams are the first four groups in sheet order");

constexpr const SeamGroup& seamGroup(SeamGroupId id) {
    return kSeamGroups[static_cast<std::size_t>(id)];
}

// The four groups a user digitises and a record stores, in record order.
inline constexpr std::array<SeamGroupId, 4> kLabelledGroups{
    SeamGroupId::LeftMarginal, SeamGroupId::RightMarginal, SeamGroupId::LeftCentral,
    SeamGroupId::RightCentral};

} // namespace korvex
