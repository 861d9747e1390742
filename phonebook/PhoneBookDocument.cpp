#include "PhoneBookDocument.h"

#include "text/TextCase.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>

namespace {

constexpr const char* kGeneral = "General";
constexpr std::string_view kSectionPrefix = "Item";
constexpr int kNoPositionFound = 999;

// n of a section named as SectionName(n) names it (letter case aside, as in every lookup). A
// section numbered INT_MAX could never lie below Count and is none.
std::optional<int> SectionNumberOf(std::string_view name)
{
    if (!platform::StartsWithIgnoringCase(name, kSectionPrefix))
        return std::nullopt;
    const std::string_view digits = name.substr(kSectionPrefix.size());
    int n = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (error != std::errc() || end != digits.data() + digits.size() || n < 0 || n == INT_MAX ||
        digits != std::to_string(n))
        return std::nullopt;
    return n;
}

// The entry's texts as they read back once written.
PhoneEntry StoredTexts(const PhoneEntry& text)
{
    PhoneEntry stored = text;
    stored.name = platform::ProfileDocument::StoredValue(text.name);
    for (const PhoneKind& kind : PhoneKinds())
        stored.*kind.number = platform::ProfileDocument::StoredValue(text.*kind.number);
    return stored;
}

} // namespace

PhoneBookDocument::PhoneBookDocument(platform::ProfileDocument& document) : m_document(document) {}

std::string PhoneBookDocument::SectionName(int n)
{
    return std::string(kSectionPrefix) + std::to_string(n);
}

const std::vector<int>& PhoneBookDocument::SectionNumbers() const
{
    // Sections are only ever added, never removed or renamed, so the numbers found stay right
    // until the document holds another section.
    if (m_numberedSections == m_document.SectionCount())
        return m_sectionNumbers;
    m_sectionNumbers.clear();
    for (std::string_view name : m_document.SectionNames()) {
        if (std::optional<int> n = SectionNumberOf(name))
            m_sectionNumbers.push_back(*n);
    }
    std::sort(m_sectionNumbers.begin(), m_sectionNumbers.end());
    m_numberedSections = m_document.SectionCount();
    return m_sectionNumbers;
}

int PhoneBookDocument::Count() const
{
    const std::vector<int>& numbers = SectionNumbers();
    const int end = numbers.empty() ? 0 : numbers.back() + 1;
    return std::clamp(m_document.ReadInt(kGeneral, "Count", 0), 0, end);
}

std::vector<std::string> PhoneBookDocument::EntrySections() const
{
    const int count = Count();
    std::vector<std::string> sections;
    for (int n : SectionNumbers()) {
        if (n >= count)
            break;
        sections.push_back(SectionName(n));
    }
    return sections;
}

std::string PhoneBookDocument::NextSectionName() const
{
    return SectionName(Count());
}

void PhoneBookDocument::IncrementCount()
{
    const int count = Count();
    m_document.WriteInt(kGeneral, "Count", count < INT_MAX ? count + 1 : count);
}

int PhoneBookDocument::ReadPosition(const std::string& section, const char* key,
                                    int defaultValue) const
{
    // Positions far outside any phone book (hand-edited) are never shown either way; bounding
    // them leaves room for the steps of one above or below.
    constexpr int kLimit = INT_MAX / 2;
    return std::clamp(m_document.ReadInt(section, key, defaultValue), -kLimit, kLimit);
}

int PhoneBookDocument::ReadPos(const std::string& section) const
{
    return ReadPosition(section, "Pos", 0);
}

bool PhoneBookDocument::IsDeleted(const std::string& section) const
{
    return m_document.ReadInt(section, "Deleted", 0) != 0;
}

bool PhoneBookDocument::HasSectionsFor(int entries) const
{
    // The last new entry takes section Count + entries - 1, and the section numbered INT_MAX
    // could never lie below Count.
    return entries <= INT_MAX - Count();
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

int PhoneBookDocument::LiveCount() const
{
    const std::vector<std::string> sections = EntrySections();
    return static_cast<int>(std::count_if(sections.begin(), sections.end(),
                                          [&](const std::string& s) { return !IsDeleted(s); }));
}

bool PhoneBookDocument::IsFull() const
{
    return LiveCount() >= kPhoneBookCapacity || !HasSectionsFor(1);
}

int PhoneBookDocument::InsertPos(const std::string& name)
{
    const int count = Count();
    if (count == 0)
        return 0;
    const std::vector<std::string> sections = EntrySections();
    const int absent = count - static_cast<int>(sections.size());

    int top = ReadPosition(kGeneral, "TopPos", -1);
    int candidate = top >= 0 ? top : kNoPositionFound;
    bool found = false;
    int deleted = absent; // a missing section is no live entry
    for (const std::string& section : sections) {
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
    for (const std::string& section : sections) {
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
    const int top = ReadPosition(kGeneral, "TopPos", 0);
    const int deletedPos = ReadPos(section);
    m_document.WriteInt(section, "Deleted", 1);
    for (const std::string& other : EntrySections()) {
        const int pos = ReadPos(other);
        if (pos > deletedPos)
            m_document.WriteInt(other, "Pos", pos - 1);
    }
    m_document.WriteInt(kGeneral, "TopPos", std::max(0, top - 1));
}

std::string PhoneBookDocument::AddEntry(const PhoneEntry& text)
{
    const PhoneEntry entry = StoredTexts(text);
    const int position = InsertPos(entry.name);
    const std::string section = NextSectionName();
    IncrementCount();
    WriteEntry(section, entry, position);
    return section;
}

bool PhoneBookDocument::HoldsEntry(const PhoneEntry& loaded) const
{
    return IsLiveSection(loaded.section) && SameTexts(ReadEntry(loaded.section), loaded);
}

std::optional<std::string> PhoneBookDocument::SaveEntry(const PhoneEntry& loaded,
                                                        const PhoneEntry& typed)
{
    if (!HoldsEntry(loaded)) {
        if (IsFull())
            return std::nullopt;
        return AddEntry(typed);
    }
    const std::string& section = loaded.section;
    if (loaded.name != platform::ProfileDocument::StoredValue(typed.name)) {
        // The old entry goes first, so that it neither holds a place nor counts as a neighbour.
        DeleteEntry(section);
        return AddEntry(typed);
    }
    WriteEntry(section, typed, ReadPos(section));
    return section;
}

bool PhoneBookDocument::DeleteLoadedEntry(const PhoneEntry& loaded)
{
    if (!HoldsEntry(loaded))
        return false;
    DeleteEntry(loaded.section);
    return true;
}

void PhoneBookDocument::DiscardAll()
{
    m_document.WriteInt(kGeneral, "Count", 0);
    m_document.WriteInt(kGeneral, "TopPos", 0);
}

std::vector<PhoneEntry> PhoneBookDocument::LiveEntries() const
{
    std::vector<PhoneEntry> entries;
    for (const std::string& section : EntrySections()) {
        if (!IsDeleted(section))
            entries.push_back(ReadEntry(section));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const PhoneEntry& a, const PhoneEntry& b) { return a.pos < b.pos; });
    return entries;
}

bool PhoneBookDocument::IsLiveSection(const std::string& section) const
{
    if (section.empty() || IsDeleted(section))
        return false;
    const std::vector<std::string> sections = EntrySections();
    return std::find(sections.begin(), sections.end(), section) != sections.end();
}
