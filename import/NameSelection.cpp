#include "NameSelection.h"

#include "CsvSource.h"

namespace {

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

std::string SourceRow::ComposedName() const
{
    return lastName.empty() ? name : name + ' ' + lastName;
}

std::string SourceRow::ListedName() const
{
    // Trimmed in place: this runs for every row of a file that may hold millions.
    std::string listed = ComposedName();
    std::size_t end = listed.size();
    while (end > 0 && IsWhiteSpace(listed[end - 1]))
        --end;
    std::size_t begin = 0;
    while (begin < end && IsWhiteSpace(listed[begin]))
        ++begin;
    listed.resize(end);
    listed.erase(0, begin);
    return listed;
}

bool SourceRow::HasNumber() const
{
    return !home.empty() || !work.empty() || !cell.empty() || !fax.empty() || !beeper.empty();
}

const std::string& RowReader::Field(int column) const
{
    static const std::string empty;
    if (column < 0 || static_cast<std::size_t>(column) >= m_fields.size())
        return empty;
    return m_fields[column];
}

const SourceRow& RowReader::Read(std::string_view record)
{
    SplitFields(record, m_fields);
    m_row.name = Field(m_columns.name);
    m_row.lastName = Field(m_columns.lastName);
    m_row.home = Field(m_columns.home);
    m_row.work = Field(m_columns.work);
    m_row.cell = Field(m_columns.cell);
    m_row.fax = Field(m_columns.fax);
    m_row.beeper = Field(m_columns.beeper);
    return m_row;
}

void ListedRows::Add(std::string_view name, std::uint64_t record)
{
    m_items.push_back({m_names.size(), name.size(), record});
    m_names += name;
}

ListedRows ListRows(CsvSource& source, const ColumnChoice& columns, const WorkProgress& progress)
{
    ListedRows rows;
    RowReader reader(columns);
    std::string record;
    for (std::uint64_t number = 0; source.ReadLine(record); ++number) {
        const SourceRow& row = reader.Read(record);
        if (row.HasNumber())
            rows.Add(row.ListedName(), number);
        if (progress && !progress(source.Position(), source.Length()))
            break;
    }
    return rows;
}

std::optional<std::vector<SourceRow>> ReadChosenRows(CsvSource& source, const ColumnChoice& columns,
                                                     const std::vector<ListedRow>& chosen,
                                                     const WorkProgress& progress)
{
    std::vector<SourceRow> rows;
    RowReader reader(columns);
    std::string record;
    auto next = chosen.begin();
    for (std::uint64_t number = 0; next != chosen.end() && source.ReadLine(record); ++number) {
        if (next->record == number) {
            const SourceRow& row = reader.Read(record);
            if (!row.HasNumber() || row.ListedName() != next->name)
                return std::nullopt;
            rows.push_back(row);
            ++next;
        }
        if (progress && !progress(source.Position(), source.Length()))
            return std::nullopt;
    }
    if (next != chosen.end())
        return std::nullopt;
    return rows;
}

std::optional<int> ProgressSteps::Advance(std::uint64_t position, std::uint64_t length)
{
    if (length == 0)
        return std::nullopt;
    const int percent =
        static_cast<int>(static_cast<double>(position) * 100.0 / static_cast<double>(length));
    if (percent <= m_shown + 4)
        return std::nullopt;
    m_shown = percent;
    return percent;
}
