#pragma once

#include "analysis/ResultList.h"

#include <QAbstractListModel>

namespace korvex {

// Shows a ResultList in a QListView without copying its lines: the view asks
// only for the rows it draws, so 100,000 lines show at once.
class ResultListItemModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ResultListItemModel(const ResultList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The list's lines changed.
    void reload();

private:
    const ResultList& list_;
};

} // namespace korvex
