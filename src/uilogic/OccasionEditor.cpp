#include "uilogic/OccasionEditor.h"

#include <algorithm>
#include <numeric>

namespace korvex {

namespace {

std::vector<OccasionEditor::Row> rowsOf(const std::vector<Occasion>& occasions) {
    std::vector<OccasionEditor::Row> rows;
    for (const Occasion& o : occasions)
        rows.push_back({o.first.text(), o.last.text()});
    return rows;
}

std::string rangeText(const OccasionEditor::Row& row) {
    return row.first + ".." + row.last;
}

} // namespace

void OccasionEditor::propose(const std::map<std::size_t, Encounter>& encounters) {
    rows_ = rowsOf(CaptureHistories::yearlyOccasions(encounters));
}

void OccasionEditor::add() {
    Row row;
    if (!rows_.empty()) {
        std::string error;
        const auto first = CalendarDate::parse(rows_.back().first, error);
        const auto last = CalendarDate::parse(rows_.back().last, error);
        if (first && last && CalendarDate::isReal(first->year + 1, first->month, first->day) &&
            CalendarDate::isReal(last->year + 1, last->month, last->day)) {
            row.first = CalendarDate{first->year + 1, first->month, first->day}.text();
            row.last = CalendarDate{last->year + 1, last->month, last->day}.text();
        }
    }
    rows_.push_back(std::move(row));
}

void OccasionEditor::remove(std::size_t index) {
    if (index < rows_.size())
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

void OccasionEditor::setFirst(std::size_t index, std::string text) {
    if (index < rows_.size())
        rows_[index].first = std::move(text);
}

void OccasionEditor::setLast(std::size_t index, std::string text) {
    if (index < rows_.size())
        rows_[index].last = std::move(text);
}

std::string OccasionEditor::text() const {
    std::string error;
    if (const auto read = occasions(error))
        return CaptureHistories::occasionsText(*read);
    std::string out;
    for (const Row& row : rows_) {
        if (!out.empty())
            out += ',';
        out += rangeText(row);
    }
    return out;
}

bool OccasionEditor::setText(const std::string& text, std::string& error) {
    const auto read = CaptureHistories::parseOccasions(text, error);
    if (!read)
        return false;
    rows_ = rowsOf(*read);
    return true;
}

std::optional<std::vector<Occasion>> OccasionEditor::occasions(std::string& error) const {
    if (rows_.empty()) {
        error = "No occasion: add one, or propose one per year of the encounters.";
        return std::nullopt;
    }
    std::vector<Occasion> read;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const std::string name = "Occasion " + std::to_string(i + 1);
        std::string why;
        const auto first = CalendarDate::parse(rows_[i].first, why);
        if (!first) {
            error = name + ", first day: " + why;
            return std::nullopt;
        }
        const auto last = CalendarDate::parse(rows_[i].last, why);
        if (!last) {
            error = name + ", last day: " + why;
            return std::nullopt;
        }
        if (*last < *first) {
            error = name + " (" + rangeText(rows_[i]) + ") ends before it begins.";
            return std::nullopt;
        }
        read.push_back({*first, *last});
    }
    std::vector<std::size_t> order(read.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return read[a].first < read[b].first; });
    std::vector<Occasion> sorted;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && !(read[order[k - 1]].last < read[order[k]].first)) {
            const std::size_t a = std::min(order[k - 1], order[k]);
            const std::size_t b = std::max(order[k - 1], order[k]);
            error = "Occasions " + std::to_string(a + 1) + " (" + rangeText(rows_[a]) + ") and " +
                    std::to_string(b + 1) + " (" + rangeText(rows_[b]) +
                    ") share days: an encounter may be in one occasion only.";
            return std::nullopt;
        }
        sorted.push_back(read[order[k]]);
    }
    // The core reads the same occasions back: what the batch tool would take.
    std::string why;
    if (!CaptureHistories::parseOccasions(CaptureHistories::occasionsText(sorted), why)) {
        error = why;
        return std::nullopt;
    }
    return sorted;
}

} // namespace korvex
