#include "PhoneBook.h"

#include "PhoneBookError.h"

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
    bool saved = true;
    const std::error_code error = m_file.Update([&](platform::ProfileDocument& document) {
        saved = PhoneBookDocument(document).SaveEntry(loaded, typed).has_value();
    });
    if (error)
        return error;
    return saved ? std::error_code() : PhoneBookError::Full;
}

std::error_code CPhoneBook::DeleteEntry(const PhoneEntry& loaded)
{
    bool held = true;
    const std::error_code error = m_file.Update([&](platform::ProfileDocument& document) {
        held = PhoneBookDocument(document).DeleteLoadedEntry(loaded);
    });
    if (error)
        return error;
    return held ? std::error_code() : PhoneBookError::EntryGone;
}
