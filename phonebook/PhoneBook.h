#pragma once

#include "PhoneBookDocument.h"
#include "PhoneEntry.h"
#include "files/ProfileFile.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// The tray program's phone book: telmo.ini at the path fixed at start-up. Nothing is kept in
// memory: every call reads the file anew, and every change is one transaction on it.
class CPhoneBook
{
public:
    explicit CPhoneBook(std::filesystem::path iniPath);

    platform::ProfileFile& File() { return m_file; }

    int LiveCount() const;
    bool IsFull() const;
    std::vector<PhoneEntry> LiveEntries() const;

    // The editor's changes to the entry it opened as `loaded` (see PhoneBookDocument). Besides
    // the file's errors, PhoneBookError::Full when a save would add a sixth entry and
    // PhoneBookError::EntryGone when the entry to delete is no longer in its section; nothing
    // is written then.
    [[nodiscard]] std::error_code SaveEntry(const PhoneEntry& loaded, const PhoneEntry& typed);
    [[nodiscard]] std::error_code DeleteEntry(const PhoneEntry& loaded);

private:
    template <typename Read> auto Query(Read read) const
    {
        platform::ProfileDocument document = m_file.Load();
        return read(PhoneBookDocument(document));
    }

    platform::ProfileFile m_file;
};
