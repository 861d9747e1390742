#include "NameListModel.h"

#include <algorithm>
#include <numeric>
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

} // namespace

void NameListModel::SetRows(std::vector<ListedRow> rows)
{
    std::vector<QString> keys(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        keys[i] = QString::fromLocal8Bit(rows[i].name).toCaseFolded();
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });

    beginResetModel();
    m_rows.clear();
    m_rows.reserve(rows.size());
    for (const std::size_t i : order)
        m_rows.push_back(std::move(rows[i]));
    endResetModel();
}

void NameListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}

int NameListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() ||
        static_cast<std::size_t>(index.row()) >= m_rows.size())
        return {};
    return QString::fromLocal8Bit(m_rows[index.row()].name);
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
        for (int i = first; i <= last && static_cast<std::size_t>(i) < m_rows.size(); ++i)
            rows.push_back(m_rows[i]);
    }
    std::sort(rows.begin(), rows.end(),
              [](const ListedRow& a, const ListedRow& b) { return a.record < b.record; });
    return rows;
}
