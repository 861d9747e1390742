#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// How a file's text is encoded, decided once for the whole file.
enum class FileEncoding
{
    Utf8,
    Windows1252, // the legacy code page, of files carried over from the original platform
    Utf16LE,
    Utf16BE
};

// One initialisation file held in memory: "[section]" lines and "key=value" lines.
// Section and key names compare without regard to ASCII case and the first of duplicates wins.
// Names and values are UTF-8 text, read from and written in the file's one encoding. Every line
// that is not touched by a write (comments, blank lines, unknown lines, the case of names, each
// line's own line break, a byte-order mark, bytes that are no character) is written back exactly
// as it was read.
class ProfileDocument
{
public:
    static ProfileDocument Parse(std::string_view bytes);
    std::string Serialize() const;

    ProfileDocument(ProfileDocument&&) = default;
    ProfileDocument& operator=(ProfileDocument&&) = default;

    // UTF-16 after its byte-order mark; otherwise UTF-8 when every byte after any UTF-8
    // byte-order mark is valid UTF-8, else Windows-1252. Text that has no place in Windows-1252
    // turns such a file into UTF-8 when it is written, every value keeping its text.
    FileEncoding Encoding() const { return m_encoding; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

    // Both refuse, changing nothing, a section or key name that could not be read back as
    // itself (see CanWrite).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, int value);

    // Whether a section and a key of these names can be written: both are UTF-8 text, neither
    // holds a line break, a section name holds no "]", and a key neither holds "=" nor begins
    // with ";" or "[", any of which would end the name early or turn the line into a comment or
    // a section.
    static bool CanWrite(std::string_view section, std::string_view key);

    // What a value reads back as once written: each line break becomes a blank, so that no value
    // can end its line and start a key or a section, and each byte that is no UTF-8 becomes
    // U+FFFD.
    static std::string StoredValue(std::string_view value);

    // The names of the sections as the file holds them, the first of each name only, in no
    // particular order. ASCII names read the same in every encoding.
    std::vector<std::string_view> SectionNames() const;
    // How many section names there are; it only grows, as no section is ever removed.
    std::size_t SectionCount() const { return m_sectionByName.size(); }

private:
    enum class LineBreak : unsigned char
    {
        None,
        Lf,
        CrLf,
        Cr // only a lone CR that ends the file, which no later line may join to a CR LF
    };

    // Text views point into the parsed text, the bytes read or m_written, none of which move.
    struct Line
    {
        std::string_view text;     // without its line break, in the file's 8-bit form
        std::string_view key;      // the trimmed name of a "key=value" line
        std::string_view original; // a UTF-16 file's bytes of the line; empty once written
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
    std::optional<std::string> Stored(std::string_view text) const;
    std::string Decoded(std::string_view stored) const;
    const Line* FindLine(std::string_view section, std::string_view key) const;
    const Section* FindSection(std::string_view storedName) const;
    static const Line* FindKey(const Section& section, std::string_view storedKey);
    std::size_t SectionIndexForWriting(std::string_view storedName);
    void IndexSections();
    void ConvertToUtf8();
    bool IsUtf16() const;
    std::string SerializeLines() const;

    // m_parsed holds the file's text in its 8-bit form: the bytes of a UTF-8 or Windows-1252
    // file, the UTF-8 decoding of a UTF-16 one, whose bytes m_original keeps.
    std::unique_ptr<std::string> m_parsed;
    std::unique_ptr<std::string> m_original;
    std::deque<std::string> m_written;
    // m_sections[0] holds the lines before the first header and has no header of its own.
    std::vector<Section> m_sections;
    std::unordered_map<std::string_view, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual>
        m_sectionByName; // name -> the first section of that name
    LineBreak m_lineBreak = LineBreak::Lf;
    FileEncoding m_encoding = FileEncoding::Utf8;
    std::string m_byteOrderMark;
    std::string m_oddByte; // a UTF-16 file's last byte that makes no unit, kept at the end
};

// Reads an integer as the original platform did: leading blanks, an optional sign, then digits up
// to the first non-digit; no digits give 0. Values beyond the range of int saturate.
int ParseProfileInt(std::string_view text);

} // namespace platform
