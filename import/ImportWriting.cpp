#include "ImportWriting.h"

#include "ImportBook.h"
#include "PhoneEntry.h"
#include "ProfileFile.h"

int CountExisting(const platform::ProfileFile& file)
{
    platform::ProfileDocument document = file.Load();
    const ImportBook book(document);
    const int count = book.GetIniInt("General", "Count", 0);
    int deleted = 0;
    for (int n = 0; n < count; ++n) {
        if (book.GetIniInt("Item" + FormatNumber(n), "Deleted", 0) == 1)
            ++deleted;
    }
    return count - deleted;
}

bool FitsCapacity(int existing, int selected)
{
    return existing + selected <= kPhoneBookCapacity;
}

std::error_code WriteImport(platform::ProfileFile& file, const std::vector<SourceRow>& rows,
                            bool deleteExisting)
{
    return file.Update([&](platform::ProfileDocument& document) {
        ImportBook book(document);
        if (deleteExisting)
            book.DiscardExisting();
        for (const SourceRow& row : rows)
            book.WriteEntry(row.ComposedName(), row.home, row.work, row.cell, row.fax, row.beeper);
    });
}
