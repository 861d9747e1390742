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
// names, each line's own line break) is written back exactly as it was read.
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

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInt(std::string_view section, std::string_view key, int value);

private:
    enum class LineBreak : unsigned char
    {
        None,
        Lf,
        CrLf
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

    std::unique_ptr<std::string> m_parsed;
    std::deque<std::string> m_written;
    // m_sections[0] holds the lines before the first header and has no header of its own.
    std::vector<Section> m_sections;
    std::unordered_map<std::string_view, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual>
        m_sectionByName; // name -> the first section of that name
    LineBreak m_lineBreak = LineBreak::Lf;
};

// Reads an integer as the original platform did: leading blanks, an optional sign, then digits up
// to the first non-digit; no digits give 0. Values beyond the range of int saturate.
int ParseProfileInt(std::string_view text);

} // namespace platform
