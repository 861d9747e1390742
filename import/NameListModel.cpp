#include "NameListModel.h"

#include <QCollator>
#include <algorithm>
#include <numeric>
#include <string_view>
#include <utility>

namespace {

// The selected item numbers as disjoint, ordered ranges [first, last].
std::vector<std::pair<int, int>> SelectedRanges(const QItemSelection& selection)
{
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& range : selection) {
        if (range.isValid())
            ranges.emplace_back(range.top(), range.bottom());
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    return merged;
}

QString ToQString(std::string_view name)
{
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

void NameListModel::SetRows(ListedRows rows)
{
    // The user's alphabetical order, without regard to case; equal names keep the order of the
    // file. A sort key per name spares the collator's full comparison in every step of the sort.
    // The keys of the C locale are the text itself, so case is folded before.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(rows.Size());
    for (std::size_t i = 0; i < rows.Size(); ++i)
        keys.push_back(collator.sortKey(ToQString(rows.Name(i)).toCaseFolded()));
    std::vector<std::size_t> order(rows.Size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) {
        return keys[a].compare(keys[b]) < 0;
    });

    beginResetModel();
    m_rows = std::move(rows);
    m_order = std::move(order);
    endResetModel();
}

void NameListModel::Clear()
{
    beginResetModel();
    m_rows = {};
    m_order = {};
    endResetModel();
}

int NameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() ||
        static_cast<std::size_t>(index.row()) >= m_order.size())
        return {};
    return ToQString(m_rows.Name(m_order[index.row()]));
}

int NameListModel::CountSelected(const QItemSelection& selection)
{
    int count = 0;
    for (const auto& [first, last] : SelectedRanges(selection))
        count += last - first + 1;
    return count;
}

std::vector<ListedRow> NameListModel::SelectedRows(const QItemSelection& selection) const
{
    std::vector<ListedRow> rows;
    for (const auto& [first, last] : SelectedRanges(selection)) {
        for (int i = first; i <= last && static_cast<std::size_t>(i) < m_order.size(); ++i)
            rows.push_back(m_rows.Row(m_order[i]));
    }
    std::sort(rows.begin(), rows.end(),
              [](const ListedRow& a, const ListedRow& b) { return a.record < b.record; });
    return rows;
}
