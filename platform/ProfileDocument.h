#pragma once

#include <cstddef>
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

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInt(std::string_view section, std::string_view key, int value);

private:
    struct Line
    {
        std::string text;   // without its line break
        std::string ending; // "\n", "\r\n", or "" for a last line without a break
    };
    struct Section
    {
        std::string header;
        std::string headerEnding;
        std::vector<Line> lines; // the lines after the header, up to the next header
    };

    ProfileDocument();

    const Section* FindSection(std::string_view name) const;
    const Line* FindKey(const Section& section, std::string_view key) const;
    void AddSection(std::string_view name);

    // m_sections[0] holds the lines before the first header and has no header of its own.
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionByName; // lower-case name -> first
    std::string m_lineBreak = "\n";
};

// Reads an integer as the original platform did: leading blanks, an optional sign, then digits up
// to the first non-digit; no digits give 0. Values beyond the range of int saturate.
int ParseProfileInt(std::string_view text);

} // namespace platform
