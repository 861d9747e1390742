#pragma once

#include "PhoneEntry.h"
#include "files/ProfileDocument.h"

#include <optional>
#include <string>
#include <vector>

// The phone book's rules over one parsed telmo.ini: section naming, the live count, the sorted
// position of a new entry and the renumbering after a deletion. Both programs use these rules,
// so that a phone book written by either keeps its live entries at positions 0 .. L-1 in name
// order. Reads and writes go to the document only; the caller decides when it reaches the disk.
class PhoneBookDocument
{
public:
    explicit PhoneBookDocument(platform::ProfileDocument& document);

    static std::string SectionName(int n);

    // Count as both programs read it: never below 0 and never past the last entry section the
    // file holds, so a hand-edited Count cannot make anyone walk sections that are not there or
    // number a section beyond the range of int. Cheap enough to ask on every turn of a loop.
    int Count() const;
    // The sections of the phone book (Item0 .. Item<Count-1>) that the file holds, in number
    // order; a missing section is no entry.
    std::vector<std::string> EntrySections() const;
    std::string NextSectionName() const;
    void IncrementCount();

    PhoneEntry ReadEntry(const std::string& section) const;
    void WriteEntry(const std::string& section, const PhoneEntry& entry, int position);
    // The live entries: those whose Deleted value is 0, for both programs (see IsDeleted).
    int LiveCount() const;
    // Whether the file has a section number left for each of that many new entries.
    bool HasSectionsFor(int entries) const;
    bool IsFull() const;
    int InsertPos(const std::string& name);
    void DeleteEntry(const std::string& section);

    // Adds an entry at its sorted place in a new section; returns the section.
    std::string AddEntry(const PhoneEntry& text);

    // Whether the section of an entry as it was read still holds it: live, with the same name
    // and numbers. Another program may have deleted it or reused its section for someone else
    // since, even someone of the same name.
    bool HoldsEntry(const PhoneEntry& loaded) const;

    // Saves what the editor holds: `loaded` is the entry as the editor was filled from the file
    // (its section empty for a new entry), `typed` the text of its fields now. While its section
    // still holds it, a changed name moves the entry to a new section at its new place and the
    // same name is rewritten in place. Otherwise (a new entry, or one gone since it was opened)
    // the typed entry is added, unless the book is full: then nothing is written and there is no
    // section. Returns the section.
    std::optional<std::string> SaveEntry(const PhoneEntry& loaded, const PhoneEntry& typed);
    // Deletes the entry the editor loaded while its section still holds it; says whether it did.
    bool DeleteLoadedEntry(const PhoneEntry& loaded);

    // Forgets every entry, leaving an empty phone book whose positions start again at 0.
    void DiscardAll();

    // The live entries in menu order (by position, then by section number).
    std::vector<PhoneEntry> LiveEntries() const;

private:
    const std::vector<int>& SectionNumbers() const;
    bool IsLiveSection(const std::string& section) const;
    int ReadPosition(const std::string& section, const char* key, int defaultValue) const;
    int ReadPos(const std::string& section) const;
    // Any Deleted value but 0 marks a section deleted, in every rule of the book: the original's
    // own rules (the live count, the positions, the entry found for a slot) all read it so.
    bool IsDeleted(const std::string& section) const;

    platform::ProfileDocument& m_document;
    // The numbers of the entry sections, sorted, as of the document's SectionCount.
    mutable std::vector<int> m_sectionNumbers;
    mutable std::optional<std::size_t> m_numberedSections;
};
