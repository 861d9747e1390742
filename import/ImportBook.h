#pragma once

#include "PhoneBookDocument.h"
#include "files/ProfileDocument.h"

#include <filesystem>
#include <string>

// telmo.ini beside the import program's own file; in an installation shared by the machine's
// users, the user's own book, which the tray program uses too.
std::filesystem::path GetIniPath();

// The import program's writing of telmo.ini, inside one transaction on the file. The section and
// position rules are the phone book's own, so an import leaves the book as the tray program
// expects it.
class ImportBook
{
public:
    explicit ImportBook(platform::ProfileDocument& document);

    // Appends one entry in a new section at its sorted place.
    void WriteEntry(const std::string& name, const std::string& home, const std::string& work,
                    const std::string& cell, const std::string& fax, const std::string& beeper);

    // Delete Existing Entries: the book starts again from an empty one.
    void DiscardExisting();

private:
    PhoneBookDocument m_book;
};
