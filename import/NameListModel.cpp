#include "NameListModel.h"

#include <QCollator>
#include <algorithm>
#include <bit>
#include <numeric>
#include <string_view>
#include <thread>
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

// How many steps of a sort pass between two looks at whether it is to stop.
constexpr std::uint64_t kStepsBetweenLooks = 1 << 14;

// Thrown out of a sort that is to stop, the only way to leave a standard sort early.
struct SortStopped
{};

// The sort keys and the sorted rows of a part of the list: its rows from `first` on.
struct SortedPart
{
    std::size_t first = 0;
    std::vector<QCollatorSortKey> keys;
    std::vector<std::size_t> order;

    const QCollatorSortKey& Key(std::size_t row) const { return keys[row - first]; }
};

// Sorts the rows of the part up to `end`, calling `look` at every step, which may throw
// SortStopped. A sort key per name spares the collator's full comparison in every step; the keys
// of the C locale are the text itself, so case is folded before. The rows are sorted, not the
// keys, which cost a count of references at every move, and by merging, which compares least.
template <class Look>
void SortPart(const ListedRows& rows, std::size_t end, SortedPart& part, const Look& look)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    part.keys.reserve(end - part.first);
    for (std::size_t row = part.first; row < end; ++row) {
        look();
        part.keys.push_back(collator.sortKey(ToQString(rows.Name(row)).toCaseFolded()));
    }
    part.order.resize(end - part.first);
    std::iota(part.order.begin(), part.order.end(), part.first);
    std::stable_sort(part.order.begin(), part.order.end(), [&](std::size_t a, std::size_t b) {
        look();
        return part.Key(a).compare(part.Key(b)) < 0;
    });
}

} // namespace

std::optional<std::vector<std::size_t>> SortedNameOrder(const ListedRows& rows,
                                                        const WorkProgress& progress)
{
    // The two halves of the list are sorted at once, here and on a helper thread, and then
    // merged: the sort is most of the time the list takes to fill, and a desktop mostly has a
    // core to spare. Equal names of the first half stay before those of the second.
    const std::size_t count = rows.Size();
    const std::size_t middle = count / 2;
    const std::uint64_t total = count + count * std::bit_width(count); // both halves' steps
    SortedPart front{0, {}, {}};
    SortedPart back{middle, {}, {}};
    try {
        std::jthread helper([&](std::stop_token stop) {
            std::uint64_t steps = 0;
            try {
                SortPart(rows, count, back, [&] {
                    if (++steps % kStepsBetweenLooks == 0 && stop.stop_requested())
                        throw SortStopped{};
                });
            } catch (const SortStopped&) {
            }
        });
        std::uint64_t steps = 0;
        SortPart(rows, middle, front, [&] {
            if (++steps % kStepsBetweenLooks == 0 && !progress(std::min(2 * steps, total), total))
                throw SortStopped{}; // leaving the helper asks it to stop, then waits for it
        });
        helper.join(); // before it is left, which would ask it to stop
    } catch (const SortStopped&) {
        return std::nullopt;
    }
    const auto key = [&](std::size_t row) -> const QCollatorSortKey& {
        return row < middle ? front.Key(row) : back.Key(row);
    };
    std::vector<std::size_t> order(count);
    std::merge(front.order.begin(), front.order.end(), back.order.begin(), back.order.end(),
               order.begin(),
               [&](std::size_t a, std::size_t b) { return key(a).compare(key(b)) < 0; });
    return order;
}

void NameListModel::SetRows(ListedRows rows, std::vector<std::size_t> order)
{
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
