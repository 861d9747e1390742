#include "ImportBook.h"

#include "PhoneBookLocation.h"
#include "process/Process.h"

std::filesystem::path GetIniPath()
{
    const std::filesystem::path programFolder = platform::ExecutablePath().parent_path();
    return PhoneBookFile(programFolder, programFolder);
}

ImportBook::ImportBook(platform::ProfileDocument& document) : m_book(document) {}

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
