#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// One initialisation file held in memory: "[section]" lines and "key=value" lines.
// Section and key names compare without regard to ASCII case and the first of duplicates wins.
// Every line that is not touched by a write (comments, blank lines, unknown lines, the case of
// names, each line's own line break, a UTF-8 byte-order mark) is written back exactly as it was
// read.
class ProfileDocument
{
public:
    static ProfileDocument Parse(std::string_view bytes);
    std::string Serialize() const;

    ProfileDocument(ProfileDocument&&) = default;
    ProfileDocument& operator=(ProfileDocument&&) = default;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

    // Both refuse, changing nothing, a section or key name that could not be read back as
    // itself (see CanWrite).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, int value);

    // Whether a section and a key of these names can be written: neither holds a line break, a
    // section name holds no "]", and a key neither holds "=" nor begins with ";" or "[", any of
    // which would end the name early or turn the line into a comment or a section.
    static bool CanWrite(std::string_view section, std::string_view key);

    // What a value reads back as once written: each line break becomes a blank, so that no value
    // can end its line and start a key or a section.
    static std::string StoredValue(std::string_view value);

    // The names of the sections, the first of each name only, in no particular order.
    std::vector<std::string_view> SectionNames() const;

    // Whether every line is valid UTF-8; a file that is not holds the legacy Windows-1252 code
    // page (in some lines at least).
    bool IsUtf8() const;
    // Rewrites each line that is not valid UTF-8 from Windows-1252 to UTF-8, so that every value
    // still shows the same text and the whole file is UTF-8.
    void ConvertToUtf8();

private:
    enum class LineBreak : unsigned char
    {
        None,
        Lf,
        CrLf,
        Cr // only a lone CR that ends the file, which no later line may join to a CR LF
    };

    // Text views point into the parsed bytes or into m_written, both of which never move.
    struct Line
    {
        std::string_view text; // without its line break
        std::string_view key;  // the trimmed name of a "key=value" line
        bool isKey = false;
        LineBreak ending = LineBreak::None;
    };
    struct Section
    {
        Line header;
        std::vector<Line> lines; // the lines after the header, up to the next header
    };
    struct CaseInsensitiveHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const;
    };
    struct CaseInsensitiveEqual
    {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    ProfileDocument();

    static Line MakeLine(std::string_view text, LineBreak ending);
    std::string_view Keep(std::string text);
    const Section* FindSection(std::string_view name) const;
    static const Line* FindKey(const Section& section, std::string_view key);
    std::size_t SectionIndexForWriting(std::string_view name);
    void IndexSections();

    std::unique_ptr<std::string> m_parsed;
    std::deque<std::string> m_written;
    // m_sections[0] holds the lines before the first header and has no header of its own.
    std::vector<Section> m_sections;
    std::unordered_map<std::string_view, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual>
        m_sectionByName; // name -> the first section of that name
    LineBreak m_lineBreak = LineBreak::Lf;
    bool m_byteOrderMark = false;
};

// Reads an integer as the original platform did: leading blanks, an optional sign, then digits up
// to the first non-digit; no digits give 0. Values beyond the range of int saturate.
int ParseProfileInt(std::string_view text);

} // namespace platform
