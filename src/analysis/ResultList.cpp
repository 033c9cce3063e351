#include "analysis/ResultList.h"

#include "model/Characters.h"
#include "model/NumberText.h"

#include <algorithm>

namespace korvex {

namespace {

// Compares bytes with A-Z folded to a-z; shorter text first on a common prefix.
int compareFolded(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(Characters::foldCase(a[i]));
        const auto cb = static_cast<unsigned char>(Characters::foldCase(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

const std::string& emptyLine() {
    static const std::string empty;
    return empty;
}

} // namespace

std::size_t ResultList::leadingNumberEnd(std::string_view line) {
    // Reading past the first blank would skip the padding and join the record
    // number to the distance ("0.5000    7" would read 0.50007).
    const std::size_t end = line.find_first_of(" \t\n");
    return end == std::string_view::npos ? line.size() : end;
}

double ResultList::leadingNumber(std::string_view line) {
    return readWrittenNumber(line.substr(0, leadingNumberEnd(line)));
}

void ResultList::clear(Order order) {
    entries_.clear();
    order_ = order;
    sorted_ = true;
}

void ResultList::add(std::string line, std::int32_t itemData) {
    const bool distance = order_ == Order::Distance;
    const double key = distance ? leadingNumber(line) : 0.0;
    const std::size_t restAt = distance ? leadingNumberEnd(line) : 0;
    entries_.push_back({std::move(line), itemData, key, restAt, entries_.size()});
    sorted_ = false;
}

void ResultList::sortIfNeeded() const {
    if (sorted_)
        return;
    if (order_ == Order::Distance) {
        std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            if (a.key != b.key)
                return a.key < b.key;
            return compareFolded(std::string_view(a.line).substr(a.restAt),
                                 std::string_view(b.line).substr(b.restAt)) < 0;
        });
    } else {
        std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            return compareFolded(a.line, b.line) < 0;
        });
    }
    sorted_ = true;
}

const std::string& ResultList::line(std::size_t p) const {
    sortIfNeeded();
    return p < entries_.size() ? entries_[p].line : emptyLine();
}

std::int32_t ResultList::itemData(std::size_t p) const {
    sortIfNeeded();
    return p < entries_.size() ? entries_[p].itemData : 0;
}

std::size_t ResultList::addedAt(std::size_t p) const {
    sortIfNeeded();
    return p < entries_.size() ? entries_[p].added : entries_.size();
}

void ResultList::setItemData(std::size_t p, std::int32_t data) {
    sortIfNeeded();
    if (p < entries_.size())
        entries_[p].itemData = data;
}

} // namespace korvex
