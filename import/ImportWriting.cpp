#include "ImportWriting.h"

#include "ImportBook.h"
#include "PhoneEntry.h"
#include "ProfileFile.h"

#include <algorithm>

int CountExisting(const platform::ProfileFile& file)
{
    platform::ProfileDocument document = file.Load();
    const std::vector<std::string> sections = PhoneBookDocument(document).EntrySections();
    return static_cast<int>(
        std::count_if(sections.begin(), sections.end(), [&](const auto& section) {
            return document.ReadInt(section, "Deleted", 0) != 1;
        }));
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
