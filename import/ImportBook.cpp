#include "ImportBook.h"

#include "Process.h"

std::filesystem::path GetIniPath()
{
    return platform::ExecutablePath().parent_path() / "telmo.ini";
}

std::string FormatNumber(int n)
{
    return std::to_string(n);
}

ImportBook::ImportBook(platform::ProfileDocument& document) : m_document(document), m_book(document)
{}

std::string ImportBook::GetIniString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const
{
    return m_document.ReadString(section, key, defaultValue);
}

int ImportBook::GetIniInt(std::string_view section, std::string_view key, int defaultValue) const
{
    return m_document.ReadInt(section, key, defaultValue);
}

void ImportBook::WriteIniString(std::string_view section, std::string_view key,
                                std::string_view value)
{
    m_document.WriteString(section, key, value);
}

void ImportBook::WriteIniInt(std::string_view section, std::string_view key, int value)
{
    m_document.WriteString(section, key, FormatNumber(value));
}

std::string ImportBook::NextSectionName() const
{
    return m_book.NextSectionName();
}

int ImportBook::InsertPos(const std::string& name)
{
    return m_book.InsertPos(name);
}

void ImportBook::WriteEntry(const std::string& name, const std::string& home,
                            const std::string& work, const std::string& cell,
                            const std::string& fax, const std::string& beeper)
{
    PhoneEntry entry;
    entry.name = name;
    entry.homePhone = home;
    entry.workPhone = work;
    entry.cellPhone = cell;
    entry.fax = fax;
    entry.beeper = beeper;
    m_book.AddEntry(entry);
}

void ImportBook::DiscardExisting()
{
    m_book.DiscardAll();
}
