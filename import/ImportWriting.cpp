#include "ImportWriting.h"

#include "ImportBook.h"
#include "PhoneBookError.h"
#include "PhoneEntry.h"
#include "ProfileFile.h"

#include <algorithm>

namespace {

// The entries the import counts: the entry sections the file holds, less those marked deleted.
int CountExisting(platform::ProfileDocument& document)
{
    const std::vector<std::string> sections = PhoneBookDocument(document).EntrySections();
    return static_cast<int>(
        std::count_if(sections.begin(), sections.end(), [&](const auto& section) {
            return document.ReadInt(section, "Deleted", 0) != 1;
        }));
}

} // namespace

int CountExisting(const platform::ProfileFile& file)
{
    platform::ProfileDocument document = file.Load();
    return CountExisting(document);
}

bool FitsCapacity(int existing, int selected)
{
    return existing + selected <= kPhoneBookCapacity;
}

std::error_code WriteImport(platform::ProfileFile& file, const std::vector<SourceRow>& rows,
                            bool deleteExisting)
{
    bool fits = true;
    const std::error_code error = file.Update([&](platform::ProfileDocument& document) {
        const int existing = deleteExisting ? 0 : CountExisting(document);
        // Any number of rows beyond the capacity is too many; the cap keeps it an int.
        const auto selected = std::min<std::size_t>(rows.size(), kPhoneBookCapacity + 1);
        fits = FitsCapacity(existing, static_cast<int>(selected));
        if (!fits)
            return;
        ImportBook book(document);
        if (deleteExisting)
            book.DiscardExisting();
        for (const SourceRow& row : rows)
            book.WriteEntry(row.ComposedName(), row.home, row.work, row.cell, row.fax, row.beeper);
    });
    if (error)
        return error;
    return fits ? std::error_code() : PhoneBookError::Full;
}
