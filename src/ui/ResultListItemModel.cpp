#include "ui/ResultListItemModel.h"

#include "ui/QtPlatformServices.h"

#include <climits>

namespace korvex {

ResultListItemModel::ResultListItemModel(const ResultList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list) {}

int ResultListItemModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(std::min<std::size_t>(list_.count(), INT_MAX));
}

QVariant ResultListItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return QtPlatformServices::displayText(list_.line(std::size_t(index.row())));
}

void ResultListItemModel::reload() {
    beginResetModel();
    endResetModel();
}

} // namespace korvex
