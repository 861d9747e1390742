#pragma once

#include "ColumnChoice.h"
#include "CsvFields.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CsvSource;

// The fields of one data row that an entry is made of.
struct SourceRow
{
    std::string name;
    std::string lastName;
    std::string home;
    std::string work;
    std::string cell;
    std::string fax;
    std::string beeper;

    // The name field, then a blank and the last name when that is not empty.
    std::string ComposedName() const;
    // The composed name without leading and trailing white space, as the list shows it.
    std::string ListedName() const;
    // At least one number field is not empty (a field of blanks is not empty).
    bool HasNumber() const;
};

// Takes the chosen columns out of records, one record after another.
class RowReader
{
public:
    explicit RowReader(const ColumnChoice& columns) : m_columns(columns) {}
    const SourceRow& Read(std::string_view record);

private:
    const std::string& Field(int column) const;

    ColumnChoice m_columns;
    std::vector<std::string> m_fields;
    SourceRow m_row;
};

// A row that can be imported, as the name list offers it: the listed name and the row's
// number among the data records (0 for the first record after the header).
struct ListedRow
{
    std::string name;
    std::uint64_t record = 0;
};

// The rows that can be imported, in the order of the file. A file may list millions of
// names, so they are kept in one block rather than one allocation each.
class ListedRows
{
public:
    void Add(std::string_view name, std::uint64_t record);
    std::size_t Size() const { return m_items.size(); }
    std::string_view Name(std::size_t i) const
    {
        return std::string_view(m_names).substr(m_items[i].offset, m_items[i].length);
    }
    std::uint64_t Record(std::size_t i) const { return m_items[i].record; }
    ListedRow Row(std::size_t i) const { return {std::string(Name(i)), Record(i)}; }

private:
    struct Item
    {
        std::size_t offset;
        std::size_t length;
        std::uint64_t record;
    };
    std::string m_names;
    std::vector<Item> m_items;
};

// Told how far a piece of work has come, `done` of `total` steps; answers whether to go on. A
// reading of the source tells its position in the file and the file's length after every record.
using WorkProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Every row of the rest of the source that has a number; those read so far when the progress
// stops the reading.
ListedRows ListRows(CsvSource& source, const ColumnChoice& columns,
                    const WorkProgress& progress = {});

// The rows of the rest of the source that were chosen, in the order of the file; nothing when
// any chosen row no longer stands in the file with a number and the same listed name, so a file
// changed since it was listed neither brings in rows the user did not see nor leaves out rows
// the user chose. `chosen` is sorted by record. Nothing either when the progress stops the
// reading.
std::optional<std::vector<SourceRow>> ReadChosenRows(CsvSource& source, const ColumnChoice& columns,
                                                     const std::vector<ListedRow>& chosen,
                                                     const WorkProgress& progress = {});

// The percentage of a reading to show: it moves on only in steps of more than four points,
// so a large file does not repaint the progress bar for every line.
class ProgressSteps
{
public:
    std::optional<int> Advance(std::uint64_t position, std::uint64_t length);

private:
    int m_shown = 0;
};
