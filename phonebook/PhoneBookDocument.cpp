#include "PhoneBookDocument.h"

#include <algorithm>

namespace {

constexpr const char* kGeneral = "General";
constexpr int kNoPositionFound = 999;

} // namespace

PhoneBookDocument::PhoneBookDocument(platform::ProfileDocument& document) : m_document(document) {}

std::string PhoneBookDocument::SectionName(int n)
{
    return "Item" + std::to_string(n);
}

int PhoneBookDocument::Count() const
{
    return std::max(0, m_document.ReadInt(kGeneral, "Count", 0));
}

std::string PhoneBookDocument::NextSectionName() const
{
    return SectionName(Count());
}

void PhoneBookDocument::IncrementCount()
{
    m_document.WriteInt(kGeneral, "Count", Count() + 1);
}

int PhoneBookDocument::ReadPos(const std::string& section) const
{
    return m_document.ReadInt(section, "Pos", 0);
}

bool PhoneBookDocument::IsDeleted(const std::string& section) const
{
    return m_document.ReadInt(section, "Deleted", 0) != 0;
}

PhoneEntry PhoneBookDocument::ReadEntry(const std::string& section) const
{
    PhoneEntry entry;
    entry.section = section;
    entry.name = m_document.ReadString(section, "Name", "");
    for (const PhoneKind& kind : PhoneKinds())
        entry.*kind.number = m_document.ReadString(section, kind.key, "");
    entry.pos = ReadPos(section);
    entry.deleted = m_document.ReadInt(section, "Deleted", 0);
    return entry;
}

void PhoneBookDocument::WriteEntry(const std::string& section, const PhoneEntry& entry,
                                   int position)
{
    m_document.WriteString(section, "Name", entry.name);
    m_document.WriteString(section, "HomePhone", entry.homePhone);
    m_document.WriteString(section, "WorkPhone", entry.workPhone);
    m_document.WriteString(section, "CellPhone", entry.cellPhone);
    m_document.WriteString(section, "Beeper", entry.beeper);
    m_document.WriteString(section, "Fax", entry.fax);
    m_document.WriteInt(section, "Pos", position);
    m_document.WriteInt(section, "Deleted", 0);
}

std::string PhoneBookDocument::FindSectionByPos(int position) const
{
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        std::string section = SectionName(i);
        if (!IsDeleted(section) && ReadPos(section) == position)
            return section;
    }
    return {};
}

int PhoneBookDocument::LiveCount() const
{
    const int count = Count();
    int deleted = 0;
    for (int i = 0; i < count; ++i)
        deleted += IsDeleted(SectionName(i));
    return count - deleted;
}

bool PhoneBookDocument::IsFull() const
{
    return LiveCount() >= kPhoneBookCapacity;
}

int PhoneBookDocument::InsertPos(const std::string& name)
{
    const int count = Count();
    if (count == 0)
        return 0;

    int top = m_document.ReadInt(kGeneral, "TopPos", -1);
    int candidate = top >= 0 ? top : kNoPositionFound;
    bool found = false;
    int deleted = 0;
    for (int i = 0; i < count; ++i) {
        const std::string section = SectionName(i);
        const bool isDeleted = IsDeleted(section);
        deleted += isDeleted;
        if (!isDeleted && NameSortsBefore(name, m_document.ReadString(section, "Name", ""))) {
            const int pos = ReadPos(section);
            if (pos <= candidate) {
                candidate = pos;
                found = true;
            }
        }
    }
    if (!found && count != deleted) {
        ++candidate;
        ++top;
    }
    for (int i = 0; i < count; ++i) {
        const std::string section = SectionName(i);
        if (IsDeleted(section))
            continue;
        const int pos = ReadPos(section);
        top = std::max(top, pos);
        if (pos >= candidate) {
            m_document.WriteInt(section, "Pos", pos + 1);
            top = std::max(top, pos + 1);
        }
    }
    if (candidate >= kNoPositionFound) {
        ++top;
        candidate = top;
    }
    m_document.WriteInt(kGeneral, "TopPos", top);
    return candidate;
}

void PhoneBookDocument::DeleteEntry(const std::string& section)
{
    // Deleting a section twice would close the same gap twice and shift every later entry.
    if (!IsLiveSection(section))
        return;
    const int top = m_document.ReadInt(kGeneral, "TopPos", 0);
    const int count = Count();
    const int deletedPos = ReadPos(section);
    m_document.WriteInt(section, "Deleted", 1);
    for (int i = 0; i < count; ++i) {
        const std::string other = SectionName(i);
        const int pos = ReadPos(other);
        if (pos > deletedPos)
            m_document.WriteInt(other, "Pos", pos - 1);
    }
    m_document.WriteInt(kGeneral, "TopPos", std::max(0, top - 1));
}

std::string PhoneBookDocument::AddEntry(const PhoneEntry& entry)
{
    const int position = InsertPos(entry.name);
    const std::string section = NextSectionName();
    IncrementCount();
    WriteEntry(section, entry, position);
    return section;
}

bool PhoneBookDocument::HoldsEntry(const PhoneEntry& loaded) const
{
    return IsLiveSection(loaded.section) &&
           m_document.ReadString(loaded.section, "Name", "") == loaded.name;
}

std::optional<std::string> PhoneBookDocument::SaveEntry(const PhoneEntry& loaded,
                                                        const PhoneEntry& typed)
{
    if (!HoldsEntry(loaded))
        return IsFull() ? std::nullopt : std::optional(AddEntry(typed));
    if (loaded.name != typed.name) {
        // The old entry goes first, so that it neither holds a place nor counts as a neighbour.
        DeleteEntry(loaded.section);
        return AddEntry(typed);
    }
    WriteEntry(loaded.section, typed, ReadPos(loaded.section));
    return loaded.section;
}

void PhoneBookDocument::DiscardAll()
{
    m_document.WriteInt(kGeneral, "Count", 0);
    m_document.WriteInt(kGeneral, "TopPos", 0);
}

std::vector<PhoneEntry> PhoneBookDocument::LiveEntries() const
{
    std::vector<PhoneEntry> entries;
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        PhoneEntry entry = ReadEntry(SectionName(i));
        if (entry.deleted == 0)
            entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const PhoneEntry& a, const PhoneEntry& b) { return a.pos < b.pos; });
    return entries;
}

bool PhoneBookDocument::IsLiveSection(const std::string& section) const
{
    if (section.empty() || IsDeleted(section))
        return false;
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        if (SectionName(i) == section)
            return true;
    }
    return false;
}
