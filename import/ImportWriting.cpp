#include "ImportWriting.h"

#include "ImportBook.h"
#include "PhoneBookError.h"
#include "PhoneEntry.h"
#include "files/ProfileFile.h"

#include <algorithm>

int CountExisting(const platform::ProfileFile& file)
{
    platform::ProfileDocument document = file.Load();
    return PhoneBookDocument(document).LiveCount();
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
        const PhoneBookDocument existing(document);
        // Any number of rows beyond the capacity is too many; the cap keeps it an int.
        const int selected =
            static_cast<int>(std::min<std::size_t>(rows.size(), kPhoneBookCapacity + 1));
        fits = deleteExisting ? FitsCapacity(0, selected)
                              : FitsCapacity(existing.LiveCount(), selected) &&
                                    existing.HasSectionsFor(selected);
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
