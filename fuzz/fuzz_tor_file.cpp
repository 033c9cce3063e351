// Data files come from disk, written by this program, older programs or
// nobody knows what. Whatever a file holds, reading it must give a data set
// and sheet that write out to a file that reads back the same.

#include "FuzzCheck.h"

#include "exchange/TorFile.h"
#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "model/SheetFill.h"
#include "testing/FakePlatformServices.h"
#include "uilogic/MainWindowModel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace korvex;

namespace {

bool hasLoneCr(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return true;
    return false;
}

// Every sheet value comes back as one field of the sheet line, free of line
// breaks and TABs, and reads as the same number it was.
void checkSheetLine(const std::string& line, const MeasurementSheet& sheet) {
    const auto fields = SpecimenRecord::splitFields(line);
    KORVEX_FUZZ_CHECK(fields.size() == MeasurementSheet::kValueCount + 1 && fields[0].empty());
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i) {
        KORVEX_FUZZ_CHECK(fields[i + 1].find_first_of("\r\n\t") == std::string_view::npos);
        KORVEX_FUZZ_CHECK(readNumber(fields[i + 1]) == readNumber(sheet.value(i)));
    }
}

// Writes `dataSet` with `sheet`, reads the file back and checks what came back.
TorFile::ReadResult writeAndReadBack(const MeasurementSheet& sheet, const DataSet& dataSet) {
    const std::string file = TorFile::write(sheet, dataSet);
    // Whatever it holds, a file this program writes is told from a data-set text.
    KORVEX_FUZZ_CHECK(TorFile::beginsAsDataFile(file));
    const TorFile::ReadResult back = TorFile::read(file);
    KORVEX_FUZZ_CHECK(back.complete);
    KORVEX_FUZZ_CHECK(back.sheetLine.has_value());
    checkSheetLine(*back.sheetLine, sheet);
    KORVEX_FUZZ_CHECK(back.countLine == " " + std::to_string(dataSet.RecordCount()) + " ");
    // A lone CR ends a line on reading, so only texts without one come back
    // byte for byte.
    if (!hasLoneCr(dataSet.text()))
        KORVEX_FUZZ_CHECK(back.dataSetText == dataSet.text());
    return back;
}

// The window's way to the same file: load, then save through the services.
void loadAndSaveInTheModel(const std::string& bytes, const TorFile::ReadResult& first) {
    fakes::FakePlatformServices services;
    services.files["in.tor"] = bytes;
    // Saved under another name, so that what was written cannot pass for what was read.
    services.fileAnswers = {"in.tor", "saved.tor"};
    MainWindowModel model(services);
    model.LoadDataFile();
    KORVEX_FUZZ_CHECK(model.dataSet().text() == first.dataSetText);
    KORVEX_FUZZ_CHECK(model.display().countText == first.countLine.value_or("0"));
    // Stepping reads the count as shown; it must stay on the records there are.
    for (int step = 0; step < 3; ++step)
        model.NextRecord();
    model.PreviousRecord();
    KORVEX_FUZZ_CHECK(model.display().recordNumber >= 1);

    KORVEX_FUZZ_CHECK(model.SaveDataFile());
    const auto written = services.files.find("saved.tor");
    KORVEX_FUZZ_CHECK(written != services.files.end());
    const TorFile::ReadResult saved = TorFile::read(written->second);
    KORVEX_FUZZ_CHECK(saved.complete);
    KORVEX_FUZZ_CHECK(saved.dataSetText == first.dataSetText);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    // As a file.
    const TorFile::ReadResult first = TorFile::read(input);
    KORVEX_FUZZ_CHECK(!first.complete || (first.sheetLine && first.countLine));
    KORVEX_FUZZ_CHECK(first.countLine || first.dataSetText.empty());
    KORVEX_FUZZ_CHECK(!hasLoneCr(first.dataSetText));

    MeasurementSheet sheet;
    if (first.sheetLine)
        fillRecordValues(*first.sheetLine, [&sheet](std::size_t i, std::string_view value) {
            sheet.setValue(i, std::string(value));
        });
    DataSet dataSet;
    dataSet.setText(first.dataSetText);
    const TorFile::ReadResult second = writeAndReadBack(sheet, dataSet);
    KORVEX_FUZZ_CHECK(second.dataSetText == first.dataSetText);

    // As a data-set text, with a sheet of its first line's values.
    MeasurementSheet lineSheet;
    fillRecordValues(DataSet::splitPieces(input).front(),
                     [&lineSheet](std::size_t i, std::string_view value) {
                         lineSheet.setValue(i, std::string(value));
                     });
    DataSet asText;
    asText.setText(input);
    writeAndReadBack(lineSheet, asText);

    loadAndSaveInTheModel(input, first);
    return 0;
}
