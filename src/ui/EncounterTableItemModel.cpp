#include "ui/EncounterTableItemModel.h"

#include "uilogic/EncounterTable.h"

#include <QColor>
#include <QScopedValueRollback>

namespace korvex {

namespace {

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

EncounterTableItemModel::EncounterTableItemModel(EncounterTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int EncounterTableItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.rows().size());
}

int EncounterTableItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(EncounterTable::kColumnCount);
}

QVariant EncounterTableItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<EncounterTable::Column>(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return utf8(table_.text(row, column));
    case Qt::TextAlignmentRole:
        if (column == EncounterTable::RecordColumn || column == EncounterTable::SitesColumn ||
            column == EncounterTable::LatitudeColumn || column == EncounterTable::LongitudeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::BackgroundRole:
        if (table_.seenAtSeveralSites(row))
            return QColor(255, 236, 179);
        return {};
    case Qt::ForegroundRole:
        // Dark text on the tint, whatever the palette.
        if (table_.seenAtSeveralSites(row))
            return QColor(Qt::black);
        return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        if (table_.seenAtSeveralSites(row))
            return QStringLiteral("Its individual was seen at %1 sites")
                .arg(table_.rows()[row].sitesOfIndividual);
        return {};
    default:
        return {};
    }
}

QVariant EncounterTableItemModel::headerData(int section, Qt::Orientation orientation,
                                             int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    const std::string_view name = EncounterTable::kHeader[std::size_t(section)];
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

Qt::ItemFlags EncounterTableItemModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() &&
        EncounterTable::isEditable(static_cast<EncounterTable::Column>(index.column())))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool EncounterTableItemModel::setData(const QModelIndex& index, const QVariant& value,
                                      int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const QByteArray text = value.toString().toUtf8();
    const QScopedValueRollback<bool> storing(storingEdit_, true);
    if (!table_.edit(static_cast<std::size_t>(index.row()),
                     static_cast<EncounterTable::Column>(index.column()),
                     std::string(text.constData(), static_cast<std::size_t>(text.size()))))
        return false;
    // The animal's site count shows on its other rows too.
    emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, columnCount() - 1));
    emit edited();
    return true;
}

void EncounterTableItemModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columnCount())
        return;
    sortColumn_ = column;
    sortOrder_ = order;
    beginResetModel();
    table_.sort(static_cast<EncounterTable::Column>(column), order == Qt::AscendingOrder);
    endResetModel();
}

void EncounterTableItemModel::reload() {
    beginResetModel();
    table_.refresh();
    if (sortColumn_ >= 0)
        table_.sort(static_cast<EncounterTable::Column>(sortColumn_),
                    sortOrder_ == Qt::AscendingOrder);
    endResetModel();
}

} // namespace korvex
