#pragma once

#include "NameSelection.h"

#include <QAbstractListModel>
#include <QItemSelection>
#include <vector>

// The names that page 4 offers: each item stands for its own source row. Items are sorted
// in the alphabetical order of the user's locale without regard to case, equal names in the
// order of the file. The whole list is set at once and sorted once, so a million names take a
// sort, not a million sorted insertions.
class NameListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void SetRows(ListedRows rows);
    void Clear();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // How many items a selection holds, and their rows in the order of the file.
    static int CountSelected(const QItemSelection& selection);
    std::vector<ListedRow> SelectedRows(const QItemSelection& selection) const;

private:
    ListedRows m_rows;
    std::vector<std::size_t> m_order; // item -> row of m_rows
};
