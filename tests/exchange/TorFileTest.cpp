#include "exchange/TorFile.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <string>

using namespace korvex;
using namespace std::literals;

namespace {

// Sheet values "1" to "42", so that a value out of place shows in the bytes.
MeasurementSheet numberedSheet() {
    MeasurementSheet sheet;
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i)
        sheet.setValue(i, std::to_string(i + 1));
    return sheet;
}

std::string numberedSheetLine() {
    std::string line;
    for (int i = 1; i <= 42; ++i)
        line += "\t" + std::to_string(i);
    return line;
}

DataSet dataSetOf(std::string text) {
    DataSet dataSet;
    dataSet.setText(std::move(text));
    return dataSet;
}

// Escaped and shortened, so that a failing 10 MB case stays readable.
std::string shown(const std::optional<std::string>& text) {
    if (!text)
        return "(none)";
    std::ostringstream out;
    for (const char c : text->substr(0, 60)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127)
            out << c;
        else
            out << "\\x" << std::hex << static_cast<int>(byte) << std::dec;
    }
    if (text->size() > 60)
        out << "... (" << text->size() << " bytes)";
    return out.str();
}

void expectRead(const TorFile::ReadResult& got, const TorFile::ReadResult& want,
                const std::string& name) {
    EXPECT_TRUE(got.sheetLine == want.sheetLine)
        << name << ": sheet line " << shown(got.sheetLine) << " want " << shown(want.sheetLine);
    EXPECT_TRUE(got.countLine == want.countLine)
        << name << ": count line " << shown(got.countLine) << " want " << shown(want.countLine);
    EXPECT_TRUE(got.dataSetText == want.dataSetText)
        << name << ": data " << shown(got.dataSetText) << " want " << shown(want.dataSetText);
    EXPECT_EQ(got.complete, want.complete) << name;
}

std::string readBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The worked example of the format. If the format is changed on purpose,
// refresh the file from the shell in the repository root:
//   { printf '\t%s' $(seq 1 42); printf '\r\n\r\n 2 \r\nR1\r\nR2\r\n\r\n'; }
//   >tests/data/exchange/two-records.tor
const std::string kGoldenPath = TEST_DATA_DIR "/exchange/two-records.tor";

TEST(TorFile, WritesTheTwoRecordExampleByteForByte) {
    const std::string golden = readBinary(kGoldenPath);
    ASSERT_FALSE(golden.empty()) << kGoldenPath;
    EXPECT_EQ(TorFile::write(numberedSheet(), dataSetOf("R1\r\nR2\r\n")), golden);
}

TEST(TorFile, ReadsTheTwoRecordExampleBack) {
    expectRead(TorFile::read(readBinary(kGoldenPath)),
               {numberedSheetLine(), " 2 ", "R1\r\nR2\r\n", true}, "golden");
}

TEST(TorFile, WritesTheCountAndEveryPieceWhateverTheirForm) {
    const std::string header = std::string(MeasurementSheet::kValueCount, '\t');
    const struct {
        std::string data, body;
    } cases[] = {
        {"", " 0 \r\n\r\n"},
        {"R1", " 0 \r\nR1\r\n"},
        {"R1\r\nR2", " 1 \r\nR1\r\nR2\r\n"},
        {"\r\n\r\n", " 2 \r\n\r\n\r\n\r\n"},
        {"A\nB\r\n", " 1 \r\nA\nB\r\n\r\n"},
    };
    MeasurementSheet emptySheet;
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i)
        emptySheet.setValue(i, "");
    for (const auto& c : cases)
        EXPECT_EQ(TorFile::write(emptySheet, dataSetOf(c.data)), header + "\r\n\r\n" + c.body)
            << shown(c.data);
}

TEST(TorFile, SheetValuesWithLineBreaksOrTabsKeepTheFileAndTheirNumbers) {
    // After "Fill from the Clipboard" with a record's CR LF, C12 ends in it; with
    // two records it also holds the next record's code, which may be digits.
    const std::string values[] = {"0.1250\r\n", "12\r\n345", "a\rb\nc",    "1\t2",
                                  "\n7\r",      "\r\n12",    "3\n4\r5\n6", "\t\t"};
    MeasurementSheet sheet;
    for (std::size_t k = 0; k < std::size(values); ++k)
        sheet.setValue(3 * k + 1, values[k]);
    const TorFile::ReadResult back =
        TorFile::read(TorFile::write(sheet, dataSetOf("R1\r\nR2\r\n")));
    EXPECT_TRUE(back.complete);
    EXPECT_EQ(back.countLine, " 2 ");
    EXPECT_EQ(back.dataSetText, "R1\r\nR2\r\n");
    const auto fields = SpecimenRecord::splitFields(*back.sheetLine);
    ASSERT_EQ(fields.size(), 43U);
    for (std::size_t k = 0; k < std::size(values); ++k) {
        const std::string_view field = fields[3 * k + 2];
        EXPECT_EQ(field.find_first_of("\r\n\t"), std::string_view::npos) << k;
        EXPECT_EQ(readNumber(field), readNumber(values[k])) << k;
    }
    EXPECT_EQ(fields[2], "0.1250");
    EXPECT_EQ(fields[5], "12");
    EXPECT_EQ(fields[8], "a");
    EXPECT_EQ(fields[11], "12");
}

// A data-set text comes back byte for byte when every CR in it is part of a
// CR LF: the reader also ends a line at a lone CR, so a piece holding one would
// come back as two lines, and the count (which knows only CR LF) would stop
// one line short. Everything else (lone LF, TAB, NUL, 8-bit bytes, a last
// record without CR LF, empty pieces) must survive.
TEST(TorFile, WriteThenReadGivesBackEveryTextWithoutALoneCr) {
    std::mt19937 random(20240611);
    const std::string tokens[] = {"\r\n", "\n",   "\t", "\0"s,    "\x80",
                                  "\xFF", "\xEC", "T1", "0.1250", " "};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(tokens) - 1);
    std::uniform_int_distribution<int> length(0, 60);
    const MeasurementSheet sheet = numberedSheet();
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n)
            text += tokens[pick(random)];
        const DataSet dataSet = dataSetOf(text);
        const std::string expectedCount = " " + std::to_string(dataSet.RecordCount()) + " ";
        expectRead(TorFile::read(TorFile::write(sheet, dataSet)),
                   {numberedSheetLine(), expectedCount, text, true},
                   "round " + std::to_string(round));
    }
}

TEST(TorFile, AHundredThousandRecordsComeBack) {
    DataSet dataSet;
    for (int i = 0; i < 100'000; ++i)
        dataSet.AppendRecord("T" + std::to_string(i) + "\t0.1250\t0.0625");
    const TorFile::ReadResult got = TorFile::read(TorFile::write(MeasurementSheet{}, dataSet));
    EXPECT_EQ(got.countLine, " 100000 ");
    EXPECT_TRUE(got.complete);
    EXPECT_TRUE(got.dataSetText == dataSet.text());
}

TEST(TorFile, ALoneCrInARecordBecomesALineEnd) {
    const struct {
        std::string data, readBack;
    } cases[] = {
        {"A\rB\r\n", "A\r\nB"}, // count 1 covers "A"; "B" is the one more line
        {"R1\r", "R1"},         // "R1\r\r\n" is "R1" and an empty line; count 0
    };
    for (const auto& c : cases) {
        const TorFile::ReadResult got = TorFile::read(TorFile::write({}, dataSetOf(c.data)));
        EXPECT_EQ(got.dataSetText, c.readBack) << shown(c.data);
        EXPECT_TRUE(got.complete) << shown(c.data);
    }
}

TEST(TorFile, ReadsWhatADamagedOrForeignFileHoldsAndSaysWhetherItWasAll) {
    const std::string big(10'000'000, 'x');
    const std::string head = "S\r\n\r\n";
    const std::string nul(1, '\0');
    const struct {
        std::string name, bytes;
        TorFile::ReadResult want;
    } cases[] = {
        {"empty file", "", {std::nullopt, std::nullopt, "", false}},
        {"sheet line only", "\tS", {"\tS", std::nullopt, "", false}},
        {"no count line", "S\r\n\r\n", {"S", std::nullopt, "", false}},
        {"no data line", head + " 0 \r\n", {"S", " 0 ", "", false}},
        {"binary garbage",
         "\xFF\xFE\0\x01\r\x80\n\x81\r\n7\r\x90\xA0"s,
         {"\xFF\xFE\0\x01"s, "7", "\x90\xA0\r\n", false}},
        {"NUL bytes in the data", head + " 1 \r\n\0A\0\r\n\0"s, {"S", " 1 ", "\0A\0\r\n\0"s, true}},
        {"NUL before the count", head + nul + "2\r\nA\r\nB", {"S", nul + "2", "A", true}},
        {"10 MB sheet line", big, {big, std::nullopt, "", false}},
        {"10 MB record", head + " 1 \r\n" + big, {"S", " 1 ", big + "\r\n", false}},
        {"10 MB last line", head + " 0 \r\n" + big, {"S", " 0 ", big, true}},
        {"huge count",
         head + "99999999999999\r\nA\r\nB\r\n",
         {"S", "99999999999999", "A\r\nB\r\n", false}},
        {"count beyond double", head + "1e300\r\nA\r\n", {"S", "1e300", "A\r\n", false}},
        {"negative count", head + "-3\r\nA\r\nB\r\n", {"S", "-3", "A", true}},
        {"count not a number", head + "abc\r\nA\r\nB\r\n", {"S", "abc", "A", true}},
        {"empty count line", head + "\r\nA\r\nB\r\n", {"S", "", "A", true}},
        {"fractional count", head + "2.5\r\nA\r\nB\r\nC\r\nD", {"S", "2.5", "A\r\nB\r\nC", true}},
        {"count one too large", head + " 2 \r\nA\r\nB\r\n", {"S", " 2 ", "A\r\nB\r\n", false}},
        {"count far too large", head + " 5 \r\nA\r\n", {"S", " 5 ", "A\r\n", false}},
        {"count too small", head + " 1 \r\nA\r\nB\r\nC\r\n\r\n", {"S", " 1 ", "A\r\nB", true}},
        {"lone CR line ends", "S\r\r 2 \rA\rB\r\r", {"S", " 2 ", "A\r\nB\r\n", true}},
        {"CR before CR LF", head + " 1 \r\nA\r\r\n", {"S", " 1 ", "A\r\n", true}},
        {"last line without end", head + " 1 \r\nA\r\nB", {"S", " 1 ", "A\r\nB", true}},
        {"lone LF kept in line",
         "S\nT\r\n\r\n 1 \r\nA\nB\r\nC\n",
         {"S\nT", " 1 ", "A\nB\r\nC\n", true}},
        {"LF right after CR LF", head + " 1 \r\n\nA\r\n\n", {"S", " 1 ", "\nA\r\n\n", true}},
    };
    for (const auto& c : cases)
        expectRead(TorFile::read(c.bytes), c.want, c.name);
}

// Whether every byte of a file went into what was read: a save over a file
// changed on disk compares what it holds only when nothing of it was left.
TEST(TorFile, SaysWhetherNothingOfTheFileWasLeftUnread) {
    const std::string head = "S\r\n\r\n";
    const struct {
        std::string name, bytes;
        bool allRead;
    } cases[] = {
        {"as written", head + " 2 \r\nA\r\nB\r\n\r\n", true},
        {"without its final line end", head + " 2 \r\nA\r\nB\r\n", true},
        {"last record without its line end", head + " 1 \r\nA\r\nB", true},
        {"lone CR line ends", "S\r\r 2 \rA\rB\r\r", true},
        {"empty lines after the last line", head + " 1 \r\nA\r\n\r\n\r\n\r\n\n\r", true},
        {"a record after empty lines", head + " 1 \r\nA\r\n\r\n\r\nB\r\n", false},
        {"empty lines after a line beyond the count", head + " 1 \r\nA\r\nB\r\n\r\n", false},
        {"records beyond the count", head + " 1 \r\nA\r\nB\r\nC\r\n\r\n", false},
        {"a byte after the last line", head + " 1 \r\nA\r\n\r\n\x1A", false},
        {"CR CR LF line ends", "S\r\r\n\r\r\n 1 \r\r\nA\r\r\n\r\r\n", false},
        {"LF line ends", "S\n\n 1 \nA\n\n", false},
        {"cut short", head + " 2 \r\nA\r\n", false},
        {"empty file", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TorFile::read(c.bytes).allRead, c.allRead) << c.name;
}

} // namespace

// Lines an editor ended in LF alone, in whole or only up to some CR LF, are
// told apart from a lone LF a sheet value or a record may hold.
TEST(TorFile, SaysWhenLinesEndInLfAlone) {
    const struct {
        std::string name, bytes;
        bool lf;
    } cases[] = {
        {"every line", "S\n\n 1 \nA\n\n", true},
        {"every line but the last", "S\n\n 2 \nA\nB\r\n", true},
        {"the first three", "S\n\n 3 \nA\r\nB\r\nC\r\n", true},
        {"the empty line", "S\r\n\n 1 \nA\r\n", true},
        {"the count line", "S\r\n\r\n 1 \nA\r\n", true},
        {"the first two, the count line ended", "\tv\n\n 1 \r\nA\r\n", true},
        {"after LFs in a row in a sheet value", "\tv\n\n\tw\n\n 1 \nA\r\n", true},
        {"an LF in a sheet value and in records", "S\nT\r\n\r\n 1 \r\nA\nB\r\n\n", false},
        // A box filled from rows an editor ended by LF alone, with a blank
        // line among them, as an older version wrote it.
        {"LFs in a row in a sheet value", "\tv\n\n\tw\r\n\r\n 1 \r\nA\r\n\r\n", false},
        {"LFs in a row and a code in a sheet value", "\tv\n\nB\tw\r\n\r\n 1 \r\nA\r\n\r\n", false},
        {"as written", "S\r\n\r\n 1 \r\nA\r\n\r\n", false},
        {"no line end at all", "S", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TorFile::read(c.bytes).lfLineEnds, c.lf) << c.name;
    EXPECT_TRUE(TorFile::read("S\r\r\n\r\r\n 1 \r\r\nA\r\r\n").crCrLfLineEnds);
    EXPECT_FALSE(TorFile::read("S\r\n\r\n 1 \r\nA\r\r\n").crCrLfLineEnds); // A's own CR
}
