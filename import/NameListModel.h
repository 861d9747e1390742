#pragma once

#include "NameSelection.h"

#include <QAbstractListModel>
#include <QItemSelection>
#include <optional>
#include <vector>

// The order of the names that page 4 offers, item by item as rows of `rows`: the alphabetical
// order of the user's locale without regard to case, equal names in the order of the file. The
// list is sorted once as a whole, so a million names take a sort, not a million sorted
// insertions. That takes a while for so many, so it runs beside the user interface and tells its
// progress: nothing when the progress stopped it.
std::optional<std::vector<std::size_t>> SortedNameOrder(const ListedRows& rows,
                                                        const WorkProgress& progress);

// The names that page 4 offers: each item stands for its own source row.
class NameListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // The rows, their items in the given order (see SortedNameOrder).
    void SetRows(ListedRows rows, std::vector<std::size_t> order);
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
