#include "uilogic/ListWindowModel.h"

#include "analysis/ListColumns.h"

namespace korvex {

ListWindowListener& ListWindowModel::out() const {
    static ListWindowListener none;
    return listener_ ? *listener_ : none;
}

void ListWindowModel::ensureCreated() {
    if (exists_)
        return;
    exists_ = true;
    caption_ = std::string(kInitialCaption);
    list_.clear(ResultList::Order::Distance);
    out().listWindowCreated();
}

void ListWindowModel::setCaption(const std::string& caption) {
    ensureCreated();
    caption_ = caption;
    out().listCaptionChanged();
}

ResultList& ListWindowModel::list() {
    ensureCreated();
    return list_;
}

void ListWindowModel::redraw() {
    ensureCreated();
    out().listChanged();
}

void ListWindowModel::show() {
    ensureCreated();
    out().listWindowShown();
}

void ListWindowModel::close() {
    if (!exists_)
        return;
    exists_ = false;
    list_.clear(ResultList::Order::Distance);
    caption_ = std::string(kInitialCaption);
    out().listWindowClosed();
    if (onClosed)
        onClosed();
}

std::string ListWindowModel::copyText() const {
    std::string text;
    const bool distances = list_.order() == ResultList::Order::Distance;
    for (std::size_t p = 0; p < list_.count(); ++p) {
        const ListColumns c = ListColumns::of(list_.line(p), ListColumns::kHeadWidth, distances);
        text += c.tail;
        text += '\t';
        text += c.head;
        text += "\r\n";
    }
    return text;
}

} // namespace korvex
