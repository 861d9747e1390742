#include "NameListModel.h"

#include <algorithm>
#include <cstdint>
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

// The name with case folded away, appended to a pool of keys: plain ASCII directly, anything
// else by Qt's rules.
void AppendSortKey(std::string_view name, std::string& pool)
{
    const std::size_t start = pool.size();
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            pool.resize(start);
            pool += QString::fromLocal8Bit(name.data(), static_cast<qsizetype>(name.size()))
                        .toCaseFolded()
                        .toUtf8()
                        .toStdString();
            return;
        }
        pool.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
}

// A row's place in the sort: the first eight bytes of its key as a number settle most
// comparisons without touching the pool.
struct SortItem
{
    std::uint64_t prefix;
    std::size_t offset;
    std::size_t length;
    std::size_t index;
};

std::uint64_t KeyPrefix(std::string_view key)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < sizeof prefix; ++i)
        prefix = (prefix << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return prefix;
}

} // namespace

void NameListModel::SetRows(ListedRows rows)
{
    // Folded UTF-8 keys compared byte by byte follow the order of the characters; ties keep
    // the order of the file.
    std::string pool;
    std::vector<SortItem> items(rows.Size());
    for (std::size_t i = 0; i < rows.Size(); ++i) {
        const std::size_t offset = pool.size();
        AppendSortKey(rows.Name(i), pool);
        const std::string_view key(pool.data() + offset, pool.size() - offset);
        items[i] = {KeyPrefix(key), offset, key.size(), i};
    }
    const auto key = [&pool](const SortItem& item) {
        return std::string_view(pool.data() + item.offset, item.length);
    };
    std::sort(items.begin(), items.end(), [&](const SortItem& a, const SortItem& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int order = key(a).compare(key(b));
        return order != 0 ? order < 0 : a.index < b.index;
    });

    beginResetModel();
    m_rows = std::move(rows);
    m_order.resize(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        m_order[i] = items[i].index;
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
    const std::string_view name = m_rows.Name(m_order[index.row()]);
    return QString::fromLocal8Bit(name.data(), static_cast<qsizetype>(name.size()));
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
