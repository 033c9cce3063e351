#include "exchange/TorFile.h"

#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace korvex::TorFile {

namespace {

constexpr std::string_view kLineEnd = DataSet::kLineEnd;

// Hands out the lines of a file one after another in a single pass. A line ends
// at CR LF or at a lone CR (files edited on other systems may use either); an
// LF without a CR before it is part of the line, so records holding one keep
// it. The last line need not be ended, and once everything is consumed there is
// no further line, not even an empty one: that is how a short file is noticed.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : bytes_(bytes) {}

    bool next(std::string_view& line) {
        if (pos_ >= bytes_.size())
            return false;
        const std::size_t rest = bytes_.size() - pos_;
        const void* hit = std::memchr(bytes_.data() + pos_, '\r', rest);
        if (hit == nullptr) {
            line = bytes_.substr(pos_);
            pos_ = bytes_.size();
            return true;
        }
        const auto cr = static_cast<std::size_t>(static_cast<const char*>(hit) - bytes_.data());
        line = bytes_.substr(pos_, cr - pos_);
        pos_ = cr + 1;
        if (pos_ < bytes_.size() && bytes_[pos_] == '\n')
            ++pos_;
        return true;
    }

    std::size_t remaining() const { return bytes_.size() - pos_; }
    // Whether all that is left are empty lines, which hold nothing to lose.
    bool onlyEmptyLinesLeft() const {
        return bytes_.find_first_not_of("\r\n", pos_) == std::string_view::npos;
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

// Whether the sheet line read on into the empty line and the count line: LFs
// in a row, then text without a TAB (a count) up to the next LF or the line's
// end. A sheet value filled from rows an editor ended by LF alone may hold
// LFs in a row as well (an older version wrote the boxes as they were), but
// a TAB follows them: the next value's.
bool sheetLineRanOn(std::string_view line) {
    for (std::size_t at = line.find("\n\n"); at != std::string_view::npos;) {
        const std::size_t from = line.find_first_not_of('\n', at);
        if (from == std::string_view::npos)
            return true;
        const std::size_t end = line.find('\n', from);
        if (line.substr(from, end - from).find(SpecimenRecord::kFieldSeparator) ==
            std::string_view::npos)
            return true;
        at = end == std::string_view::npos ? end : line.find("\n\n", end);
    }
    return false;
}

} // namespace

std::string write(const MeasurementSheet& sheet, const DataSet& dataSet) {
    const std::string_view text = dataSet.text();
    std::string out;
    std::size_t sheetSize = 0;
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i)
        sheetSize += 1 + sheet.value(i).size();
    // Sheet line, empty line, a count of at most 20 digits, and the data lines:
    // the pieces joined by CR LF are the text again, plus the final CR LF.
    out.reserve(sheetSize + text.size() + 32);

    // A sheet value may hold the CR LF and the start of the next record that
    // "Fill from the Clipboard" brought along. Written as it is, it would split
    // the sheet line and shift every line after it, so the count line would be
    // misread and the data set lost on loading; a TAB would shift the values
    // after it. What is written must still read as the same number: the number
    // ends at a CR, so the rest of the value is left out from there, while TABs
    // and LFs are skipped by the reader wherever they stand and can go.
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i) {
        out.push_back(SpecimenRecord::kFieldSeparator);
        const std::string& value = sheet.value(i);
        for (const char c : std::string_view(value).substr(0, value.find('\r')))
            if (c != '\n' && c != SpecimenRecord::kFieldSeparator)
                out.push_back(c);
    }
    out += kLineEnd;
    out += kLineEnd;

    // Readers of the format expect the numeric print form: a blank where a
    // minus sign would stand and one after the digits.
    out.push_back(' ');
    out += std::to_string(dataSet.RecordCount());
    out.push_back(' ');
    out += kLineEnd;

    for (const std::string_view piece : DataSet::splitPieces(text)) {
        out += piece;
        out += kLineEnd;
    }
    return out;
}

ReadResult read(std::string_view bytes) {
    ReadResult result;
    result.lfLineEnds =
        bytes.find('\r') == std::string_view::npos && bytes.find('\n') != std::string_view::npos;
    // Told by the sheet line's end: a record may end in a CR of its own.
    result.crCrLfLineEnds =
        bytes.find('\r') != std::string_view::npos && bytes.find("\r\r\n") == bytes.find('\r');
    LineReader lines(bytes);
    std::string_view line;
    // With a CR LF further on, lines ended by LF alone run together into the
    // first ones: the count is then read from a record, which may well read
    // as 0 and leave nothing unread. A sheet value may hold a lone LF, but
    // the program writes the next two lines without one.
    const auto ranTogether = [&](bool ran) {
        result.lfLineEnds = result.lfLineEnds || ran;
    };

    if (!lines.next(line))
        return result;
    result.sheetLine.emplace(line);
    ranTogether(sheetLineRanOn(line));

    if (!lines.next(line))
        return result;
    ranTogether(line.find('\n') != std::string_view::npos);

    if (!lines.next(line))
        return result;
    result.countLine.emplace(line);
    ranTogether(line.find('\n') != std::string_view::npos);

    // The count is only a promise about what follows: a damaged or foreign file
    // may claim any number, so it bounds the loop but never sizes anything, and
    // the end of the input ends the loop whatever the count says. What is left
    // of the input is a safe size: only lines ended by a lone CR grow by a byte.
    result.dataSetText.reserve(lines.remaining());
    const double count = readNumber(line);
    for (std::uint64_t i = 1; static_cast<double>(i) <= count; ++i) {
        if (!lines.next(line))
            return result;
        result.dataSetText += line;
        result.dataSetText += kLineEnd;
    }
    result.allRecords = true;

    if (!lines.next(line)) {
        result.allRead = true;
        return result;
    }
    result.dataSetText += line;
    result.complete = true;
    // Empty lines after an empty one are an editor's blank lines at the end;
    // after a line of text they may be all that ends a row another program
    // added, which the count does not take in.
    result.allRead = lines.remaining() == 0 || (line.empty() && lines.onlyEmptyLinesLeft());
    return result;
}

bool beginsAsDataFile(std::string_view bytes) {
    LineReader lines(bytes);
    std::string_view sheetLine, empty, countLine;
    if (!lines.next(sheetLine) || !lines.next(empty) || !lines.next(countLine))
        return false;
    if (!sheetLine.starts_with(SpecimenRecord::kFieldSeparator) || !empty.empty())
        return false;
    const std::size_t first = countLine.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return false;
    const std::size_t last = countLine.find_last_not_of(' ');
    const std::string_view count = countLine.substr(first, last + 1 - first);
    return count.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace korvex::TorFile
