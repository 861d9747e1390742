// The export writer against the import's reader: entries of any text, exported as CSV, come back
// through the wizard's reading (column proposal, name list, chosen rows) name for name and number
// for number. Entries without any number are written but never listed, as the import lists only
// rows with a number.
#include "ColumnMatching.h"
#include "CsvSource.h"
#include "FuzzFile.h"
#include "NameSelection.h"
#include "PhoneBookCsv.h"
#include "text/TextEncoding.h"

#include <cstdlib>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

PhoneEntry EntryOf(std::vector<std::string> texts)
{
    texts.resize(1 + PhoneKinds().size());
    for (std::string& text : texts)
        platform::MakeUtf8(text); // as the export hands the entries over
    PhoneEntry entry;
    entry.name = texts[0];
    for (std::size_t k = 0; k < PhoneKinds().size(); ++k)
        entry.*PhoneKinds()[k].number = texts[k + 1];
    return entry;
}

SourceRow RowOf(const PhoneEntry& entry)
{
    SourceRow row;
    row.name = entry.name;
    row.home = entry.homePhone;
    row.work = entry.workPhone;
    row.cell = entry.cellPhone;
    row.fax = entry.fax;
    row.beeper = entry.beeper;
    return row;
}

bool SameRow(const SourceRow& a, const SourceRow& b)
{
    return a.ComposedName() == b.ComposedName() && a.home == b.home && a.work == b.work &&
           a.cell == b.cell && a.fax == b.fax && a.beeper == b.beeper;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<PhoneEntry> entries;
    for (std::vector<std::string>& texts :
         SplitTable(std::string_view(reinterpret_cast<const char*>(data), size)))
        entries.push_back(EntryOf(std::move(texts)));
    std::vector<SourceRow> expected;
    for (const PhoneEntry& entry : entries) {
        if (RowOf(entry).HasNumber())
            expected.push_back(RowOf(entry));
    }
    const std::string& path = FuzzFile::Instance().Hold(PhoneBookCsv(entries));

    CsvSource source;
    Check(source.Open(path));
    const ColumnChoice columns = AutoMatchColumns(SplitHeader(source.Header()));
    Check(columns == ColumnChoice{0, -1, 1, 2, 3, 4, 5});
    const ListedRows listed = ListRows(source, columns);
    Check(listed.Size() == expected.size());
    std::vector<ListedRow> chosen;
    for (std::size_t i = 0; i < listed.Size(); ++i) {
        Check(listed.Name(i) == expected[i].ListedName());
        chosen.push_back(listed.Row(i));
    }

    Check(source.Open(path));
    const std::optional<std::vector<SourceRow>> rows = ReadChosenRows(source, columns, chosen);
    Check(rows && rows->size() == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        Check(SameRow((*rows)[i], expected[i]));
    return 0;
}
