#pragma once

#include <QAbstractTableModel>

namespace korvex {

class EncounterTable;

// Shows an EncounterTable in a QTableView: its texts, its sort and its edits
// (a refused edit has said why and keeps the old value). A row whose animal
// was seen at two or more sites is tinted, and says so to assistive
// technology in its description.
class EncounterTableItemModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit EncounterTableItemModel(EncounterTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    void sort(int column, Qt::SortOrder order) override;

    // The table read the document again; its last sort is kept.
    void reload();
    // While an edit is being stored (and a refusal said).
    bool storingEdit() const { return storingEdit_; }

signals:
    // An edit was stored: the line under the table may say another count.
    void edited();

private:
    EncounterTable& table_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    bool storingEdit_ = false;
};

} // namespace korvex
