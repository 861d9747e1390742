#include "PhoneBook.h"

CPhoneBook::CPhoneBook(std::filesystem::path iniPath) : m_file(std::move(iniPath)) {}

int CPhoneBook::LiveCount() const
{
    return Query([](const PhoneBookDocument& book) { return book.LiveCount(); });
}

bool CPhoneBook::IsFull() const
{
    return Query([](const PhoneBookDocument& book) { return book.IsFull(); });
}

std::vector<PhoneEntry> CPhoneBook::LiveEntries() const
{
    return Query([](const PhoneBookDocument& book) { return book.LiveEntries(); });
}

std::error_code CPhoneBook::SaveEntry(const PhoneEntry& loaded, const PhoneEntry& typed)
{
    return m_file.Update([&](platform::ProfileDocument& document) {
        PhoneBookDocument(document).SaveEntry(loaded, typed);
    });
}

std::error_code CPhoneBook::DeleteEntry(const std::string& section)
{
    return m_file.Update([&](platform::ProfileDocument& document) {
        PhoneBookDocument(document).DeleteEntry(section);
    });
}
