// A data set loaded from the clipboard may hold any bytes; comparing the sheet
// with it, listing its codes and picking one must cope with all of them.

#include "FuzzCheck.h"

#include "model/DataSet.h"
#include "model/RecordLine.h"
#include "testing/FakePlatformServices.h"
#include "uilogic/MainWindowModel.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace korvex;

namespace {

void compare(MainWindowModel& model, fakes::FakePlatformServices& services, int index) {
    model.comp_Click(index);
    const std::size_t records = model.dataSet().RecordCount();
    const std::size_t listed = model.listWindow().list().count();
    KORVEX_FUZZ_CHECK(listed <= records);
    if (records == 0)
        return;
    // The summary: a heading, the statistics, an empty line, one line per entry.
    KORVEX_FUZZ_CHECK(DataSet::countLineEnds(services.clipboardText()) == listed + 3);
    model.CopyList();
    KORVEX_FUZZ_CHECK(DataSet::countLineEnds(services.clipboardText()) == listed);
}

// "Select Record" and a double-click on the entry at `position` (from the end
// when `fromEnd`).
void selectAndPick(MainWindowModel& model, bool fromEnd) {
    model.aha_Click(MainWindowModel::SelectRecord);
    const std::size_t pieces = model.dataSet().pieceCount();
    const std::size_t listed = model.listWindow().list().count();
    KORVEX_FUZZ_CHECK(listed <= pieces);
    KORVEX_FUZZ_CHECK(model.selectMode() == 1);
    if (listed == 0)
        return;
    model.List1_DblClick(fromEnd ? listed - 1 : 0);
    KORVEX_FUZZ_CHECK(model.selectMode() == 0);
    KORVEX_FUZZ_CHECK(!model.listWindow().exists());
    const long long k = model.display().recordNumber;
    KORVEX_FUZZ_CHECK(k >= 1 && static_cast<std::size_t>(k) <= pieces);
    const std::string_view piece = model.dataSet().piece(static_cast<std::size_t>(k - 1));
    KORVEX_FUZZ_CHECK(!piece.empty());
    KORVEX_FUZZ_CHECK(model.display().code == SpecimenRecord::codeOf(piece));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fakes::FakePlatformServices services;
    MainWindowModel model(services);
    services.setClipboardText(std::string(reinterpret_cast<const char*>(data), size));
    model.load_Click(MainWindowModel::LoadFromClipboard);
    KORVEX_FUZZ_CHECK(model.dataSet().text().size() == size);

    compare(model, services, 15);
    compare(model, services, 20);
    compare(model, services, 45);

    selectAndPick(model, true);
    selectAndPick(model, false);
    model.NextRecord();
    model.PreviousRecord();
    // Now with a record of the data set on the sheet.
    compare(model, services, 45);
    return 0;
}
