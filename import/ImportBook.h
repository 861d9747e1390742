#pragma once

#include "PhoneBookDocument.h"
#include "ProfileDocument.h"

#include <filesystem>
#include <string>
#include <string_view>

// telmo.ini beside the import program's own file.
std::filesystem::path GetIniPath();

// Plain decimal text, a minus sign for negative numbers.
std::string FormatNumber(int n);

// The import program's reading and writing of telmo.ini, inside one transaction on the file.
// The section and position rules are the phone book's own, so an import leaves the book as the
// tray program expects it.
class ImportBook
{
public:
    explicit ImportBook(platform::ProfileDocument& document);

    std::string GetIniString(std::string_view section, std::string_view key,
                             std::string_view defaultValue) const;
    int GetIniInt(std::string_view section, std::string_view key, int defaultValue) const;
    void WriteIniString(std::string_view section, std::string_view key, std::string_view value);
    void WriteIniInt(std::string_view section, std::string_view key, int value);

    std::string NextSectionName() const;
    int InsertPos(const std::string& name);

    // Appends one entry in a new section at its sorted place.
    void WriteEntry(const std::string& name, const std::string& home, const std::string& work,
                    const std::string& cell, const std::string& fax, const std::string& beeper);

    // Delete Existing Entries: the book starts again from an empty one.
    void DiscardExisting();

private:
    platform::ProfileDocument& m_document;
    PhoneBookDocument m_book;
};
