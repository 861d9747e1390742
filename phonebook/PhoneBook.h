#pragma once

#include "PhoneBookDocument.h"
#include "PhoneEntry.h"
#include "ProfileFile.h"

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

    // See PhoneBookDocument::SaveEntry.
    [[nodiscard]] std::error_code SaveEntry(const PhoneEntry& loaded, const PhoneEntry& typed);
    [[nodiscard]] std::error_code DeleteEntry(const std::string& section);

private:
    template <typename Read> auto Query(Read read) const
    {
        platform::ProfileDocument document = m_file.Load();
        return read(PhoneBookDocument(document));
    }

    platform::ProfileFile m_file;
};
