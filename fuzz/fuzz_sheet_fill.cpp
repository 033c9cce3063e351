// "Fill from the Clipboard" takes whatever text the clipboard holds onto the
// sheet; the sheet's boxes, the check boxes and standardising then work on it.

#include "FuzzCheck.h"

#include "model/DecimalComma.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "testing/FakePlatformServices.h"
#include "uilogic/MainWindowModel.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace korvex;

namespace {

// Standardising a group of finite, non-negative values with a positive total
// writes quotients that add up to 1 but for the rounding to 4 decimals.
void checkStandardise(MainWindowModel& model, SeamGroupId group) {
    const SeamGroup& g = seamGroup(group);
    const MeasurementSheet& sheet = model.digitising().sheet();
    bool plain = true;
    bool comma = false;
    double total = 0.0;
    std::vector<std::string> before;
    for (std::size_t i = 0; i < g.count; ++i) {
        const std::string& cell = sheet.cell(group, i);
        const double v = readNumber(cell);
        plain = plain && std::isfinite(v) && v >= 0.0;
        comma = comma || DecimalComma::holdsOne(cell);
        total += v;
        before.push_back(cell);
    }
    const bool enabled = model.digitising().commandEnabled(group);
    model.Command_Click(g.command);
    if (comma) {
        // A length typed with a decimal comma is not read as its digits
        // before the comma: the group stays as it was.
        for (std::size_t i = 0; i < g.count; ++i)
            KORVEX_FUZZ_CHECK(sheet.cell(group, i) == before[i]);
        KORVEX_FUZZ_CHECK(model.digitising().commandEnabled(group) == enabled);
        return;
    }
    KORVEX_FUZZ_CHECK(sheet.labelsLower(group));
    if (!plain || !(total > 0.0) || !std::isfinite(total))
        return;
    KORVEX_FUZZ_CHECK(!model.digitising().commandEnabled(group));
    double sum = 0.0;
    for (std::size_t i = 0; i < g.count; ++i) {
        const std::string& cell = sheet.cell(group, i);
        KORVEX_FUZZ_CHECK(cell.size() >= 6 && cell[cell.size() - 5] == '.');
        sum += readNumber(cell);
    }
    KORVEX_FUZZ_CHECK(std::fabs(sum - 1.0) <= 0.00005 * static_cast<double>(g.count) + 1e-9);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    fakes::FakePlatformServices services;
    MainWindowModel model(services);
    // A cleared sheet has "Marginal" of the left group ticked and that group
    // active, so the fill has a switch to turn off.
    model.ClearSheet();
    services.setClipboardText(input);
    model.Command9_Click();

    const DigitisingModel& d = model.digitising();
    for (const int box : {1, 2, 3, 4, 5, 6})
        KORVEX_FUZZ_CHECK(!d.checked(box));
    for (const std::int16_t active : d.state().groupActive)
        KORVEX_FUZZ_CHECK(active == 0);

    const auto fields = SpecimenRecord::splitFields(input);
    const std::size_t filled =
        fields.size() >= 12 ? std::min<std::size_t>(fields.size() - 1, 28) : 0;
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i) {
        if (i < filled)
            KORVEX_FUZZ_CHECK(d.sheet().value(i) == fields[i + 1]);
        else
            KORVEX_FUZZ_CHECK(d.sheet().value(i) == "0");
    }

    for (const SeamGroupId group : kLabelledGroups)
        checkStandardise(model, group);
    return 0;
}
