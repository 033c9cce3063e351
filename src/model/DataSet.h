#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The data-set text: record lines, each followed by CR LF in the normal form.
// The text is bytes and is never reinterpreted; every rule (pieces, counting,
// appending) is defined on it, so files and clipboard texts that the program
// did not write keep every byte.
class DataSet {
public:
    static constexpr std::string_view kLineEnd = "\r\n";

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    void clear() { text_.clear(); }

    // Appends a record line: a text shorter than 5 characters is replaced; a
    // text whose first CR LF among its last 5 characters starts at the 2nd to
    // 4th of them gets the line added directly; otherwise CR LF goes first.
    // True when the text was replaced, and the records it held with it.
    bool AppendRecord(std::string_view line);

    // Number of CR LF pairs, counted from the start without overlap.
    std::size_t RecordCount() const { return countLineEnds(text_); }
    static std::size_t countLineEnds(std::string_view text);

    // What follows the last CR LF, when it holds more than blanks: a last
    // row another program left without its line end, or rows it ended by CR
    // alone, which are no records. `code` is that of the (first) row.
    struct UnendedRows {
        std::string_view code;
        bool crAlone = false;
    };
    static std::optional<UnendedRows> unendedRows(std::string_view text);

    // The text split at every CR LF: n separators give n + 1 pieces, the empty
    // text one empty piece. Record number k is piece k - 1.
    static std::vector<std::string_view> splitPieces(std::string_view text);
    std::vector<std::string_view> pieces() const { return splitPieces(text_); }
    std::size_t pieceCount() const { return RecordCount() + 1; }
    // Piece `i`, or the empty text when there is no such piece.
    std::string_view piece(std::size_t i) const;

private:
    std::string text_;
};

} // namespace korvex
