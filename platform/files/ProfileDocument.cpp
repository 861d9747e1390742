#include "files/ProfileDocument.h"

#include "text/TextCase.h"
#include "text/TextEncoding.h"

#include <algorithm>
#include <climits>
#include <optional>

namespace platform {

namespace {

// The name of a "[name]" line, or nothing when the line is not a section header.
std::optional<std::string_view> SectionNameOf(std::string_view line)
{
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// The name of a "key=value" line, or nothing for comments and lines without "=".
std::optional<std::string_view> KeyOf(std::string_view line)
{
    std::string_view trimmed = Trim(line);
    if (!trimmed.empty() && trimmed.front() == ';')
        return std::nullopt;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(0, equals));
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

bool HasSurroundingQuotes(std::string_view value)
{
    return value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back();
}

std::string_view DecodeValue(std::string_view line)
{
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    if (HasSurroundingQuotes(value))
        value = value.substr(1, value.size() - 2);
    return value;
}

bool HoldsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The lines of UTF-16 code units, each without its line feed, in the order in which the lines of
// their UTF-8 decoding follow each other.
std::vector<std::string_view> Utf16Lines(std::string_view units, bool bigEndian)
{
    const char first = bigEndian ? '\0' : '\n';
    const char second = bigEndian ? '\n' : '\0';
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        if (units[i] == first && units[i + 1] == second) {
            lines.push_back(units.substr(start, i - start));
            start = i + 2;
        }
    }
    if (start < units.size())
        lines.push_back(units.substr(start));
    return lines;
}

} // namespace

int ParseProfileInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (IsBlank(text[i]) || text[i] == '\r' || text[i] == '\n' ||
                               text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long magnitude = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min(limit, magnitude * 10 + (text[i] - '0'));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

std::size_t ProfileDocument::CaseInsensitiveHash::operator()(std::string_view text) const
{
    std::size_t hash = 14695981039346656037ull;
    for (char c : text)
        hash = (hash ^ static_cast<unsigned char>(UpperAscii(c))) * 1099511628211ull;
    return hash;
}

bool ProfileDocument::CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const
{
    return EqualIgnoringCase(a, b);
}

ProfileDocument::ProfileDocument()
    : m_parsed(std::make_unique<std::string>()), m_original(std::make_unique<std::string>()),
      m_sections(1)
{}

ProfileDocument::Line ProfileDocument::MakeLine(std::string_view text, LineBreak ending)
{
    Line line{text, {}, {}, false, ending};
    if (std::optional<std::string_view> key = KeyOf(text)) {
        line.key = *key;
        line.isKey = true;
    }
    return line;
}

std::string_view ProfileDocument::Keep(std::string text)
{
    return m_written.emplace_back(std::move(text));
}

ProfileDocument ProfileDocument::Parse(std::string_view bytes)
{
    ProfileDocument document;
    // A byte-order mark is no part of the first line, and it is written back as it was.
    const DetectedEncoding detected = DetectEncoding(bytes);
    document.m_byteOrderMark = bytes.substr(0, detected.markLength);
    bytes.remove_prefix(detected.markLength);
    std::vector<std::string_view> originals;
    if (detected.encoding == SourceEncoding::EightBit) {
        document.m_encoding = IsValidUtf8(bytes) ? FileEncoding::Utf8 : FileEncoding::Windows1252;
        document.m_parsed->assign(bytes);
    } else {
        const bool bigEndian = detected.encoding == SourceEncoding::Utf16BE;
        document.m_encoding = bigEndian ? FileEncoding::Utf16BE : FileEncoding::Utf16LE;
        if (bytes.size() % 2 != 0) {
            document.m_oddByte = bytes.substr(bytes.size() - 1);
            bytes.remove_suffix(1);
        }
        document.m_original->assign(bytes);
        AppendUtf16AsUtf8(bytes, bigEndian, *document.m_parsed);
        originals = Utf16Lines(*document.m_original, bigEndian);
    }
    const std::string_view parsed = *document.m_parsed;
    bool lineBreakSeen = false;
    std::size_t start = 0;
    for (std::size_t number = 0; start < parsed.size(); ++number) {
        std::size_t newline = parsed.find('\n', start);
        std::string_view text = parsed.substr(start, newline - start);
        LineBreak ending = LineBreak::None;
        if (newline != std::string_view::npos) {
            ending = LineBreak::Lf;
            if (!text.empty() && text.back() == '\r') {
                text.remove_suffix(1);
                ending = LineBreak::CrLf;
            }
            if (!lineBreakSeen)
                document.m_lineBreak = ending;
            lineBreakSeen = true;
        } else if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
            ending = LineBreak::Cr;
        }
        start = newline == std::string_view::npos ? parsed.size() : newline + 1;

        const bool isHeader = SectionNameOf(text).has_value();
        Line line = isHeader ? Line{text, {}, {}, false, ending} : MakeLine(text, ending);
        if (number < originals.size()) {
            // A carriage return decodes from the unit 0x000D alone, two bytes of the original.
            line.original = originals[number];
            if (ending == LineBreak::CrLf || ending == LineBreak::Cr)
                line.original.remove_suffix(2);
        }
        if (isHeader)
            document.m_sections.push_back(Section{line, {}});
        else
            document.m_sections.back().lines.push_back(line);
    }
    document.IndexSections();
    return document;
}

void ProfileDocument::IndexSections()
{
    m_sectionByName.clear();
    for (std::size_t i = 1; i < m_sections.size(); ++i)
        m_sectionByName.try_emplace(*SectionNameOf(m_sections[i].header.text), i);
}

bool ProfileDocument::IsUtf16() const
{
    return m_encoding == FileEncoding::Utf16LE || m_encoding == FileEncoding::Utf16BE;
}

std::string ProfileDocument::Serialize() const
{
    std::string bytes = m_byteOrderMark + SerializeLines() + m_oddByte;
    // A file in the legacy code page whose bytes have all become valid UTF-8 would be read as
    // UTF-8 next time, its other letters changed: it becomes UTF-8, every value keeping its text.
    const std::string_view lines = std::string_view(bytes).substr(m_byteOrderMark.size());
    if (m_encoding == FileEncoding::Windows1252 && !IsAscii(lines) && IsValidUtf8(lines)) {
        std::string converted = m_byteOrderMark;
        AppendWindows1252AsUtf8(lines, converted);
        return converted;
    }
    return bytes;
}

std::string ProfileDocument::SerializeLines() const
{
    std::string bytes;
    bytes.reserve(m_parsed->size() + m_original->size() + 64);
    const bool bigEndian = m_encoding == FileEncoding::Utf16BE;
    auto put = [&](std::string_view text) {
        if (IsUtf16())
            AppendUtf8AsUtf16(text, bigEndian, bytes);
        else
            bytes += text;
    };
    auto lineBreak = [](LineBreak ending) -> std::string_view {
        switch (ending) {
        case LineBreak::CrLf:
            return "\r\n";
        case LineBreak::Lf:
            return "\n";
        case LineBreak::Cr:
            return "\r";
        case LineBreak::None:
            break;
        }
        return "";
    };
    LineBreak previous = LineBreak::Lf;
    auto append = [&](const Line& line) {
        // A line that lost its break by being last gets one once something follows it; a lone
        // CR that ended the file is completed to a CR LF, so the line before reads the same.
        if (previous == LineBreak::None)
            put(lineBreak(m_lineBreak));
        else if (previous == LineBreak::Cr)
            put("\n");
        if (line.original.empty())
            put(line.text);
        else
            bytes += line.original;
        put(lineBreak(line.ending));
        previous = line.ending;
    };
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        if (i > 0)
            append(m_sections[i].header);
        for (const Line& line : m_sections[i].lines)
            append(line);
    }
    return bytes;
}

std::optional<std::string> ProfileDocument::Stored(std::string_view text) const
{
    if (m_encoding != FileEncoding::Windows1252 || IsAscii(text))
        return std::string(text);
    return Utf8AsWindows1252(text);
}

std::string ProfileDocument::Decoded(std::string_view stored) const
{
    if (m_encoding != FileEncoding::Windows1252)
        return std::string(stored);
    std::string text;
    text.reserve(stored.size() + 8);
    AppendWindows1252AsUtf8(stored, text);
    return text;
}

const ProfileDocument::Line* ProfileDocument::FindLine(std::string_view section,
                                                       std::string_view key) const
{
    const std::optional<std::string> storedSection = Stored(Trim(section));
    const std::optional<std::string> storedKey = Stored(Trim(key));
    const Section* found = storedSection && storedKey ? FindSection(*storedSection) : nullptr;
    return found ? FindKey(*found, *storedKey) : nullptr;
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view storedName) const
{
    auto found = m_sectionByName.find(storedName);
    return found == m_sectionByName.end() ? nullptr : &m_sections[found->second];
}

const ProfileDocument::Line* ProfileDocument::FindKey(const Section& section,
                                                      std::string_view storedKey)
{
    for (const Line& line : section.lines) {
        if (line.isKey && EqualIgnoringCase(line.key, storedKey))
            return &line;
    }
    return nullptr;
}

std::string ProfileDocument::ReadString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue) const
{
    const Line* line = FindLine(section, key);
    return line ? Decoded(DecodeValue(line->text)) : std::string(defaultValue);
}

int ProfileDocument::ReadInt(std::string_view section, std::string_view key, int defaultValue) const
{
    const Line* line = FindLine(section, key);
    return line ? ParseProfileInt(DecodeValue(line->text)) : defaultValue;
}

std::size_t ProfileDocument::SectionIndexForWriting(std::string_view name)
{
    if (auto found = m_sectionByName.find(name); found != m_sectionByName.end())
        return found->second;
    const std::string_view header = Keep("[" + std::string(name) + "]");
    m_sections.push_back(Section{Line{header, {}, {}, false, m_lineBreak}, {}});
    m_sectionByName.emplace(header.substr(1, name.size()), m_sections.size() - 1);
    return m_sections.size() - 1;
}

bool ProfileDocument::CanWrite(std::string_view section, std::string_view key)
{
    key = Trim(key);
    const bool keyStartsOtherLine = !key.empty() && (key.front() == ';' || key.front() == '[');
    return IsValidUtf8(section) && IsValidUtf8(key) && !HoldsLineBreak(section) &&
           section.find(']') == std::string_view::npos && !HoldsLineBreak(key) &&
           key.find('=') == std::string_view::npos && !keyStartsOtherLine;
}

std::string ProfileDocument::StoredValue(std::string_view value)
{
    std::string stored = ValidUtf8(value);
    std::replace(stored.begin(), stored.end(), '\r', ' ');
    std::replace(stored.begin(), stored.end(), '\n', ' ');
    return stored;
}

bool ProfileDocument::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value)
{
    if (!CanWrite(section, key))
        return false;
    section = Trim(section);
    key = Trim(key);
    // Quotes keep the blanks at either end and a value's own surrounding quotes.
    std::string encoded = StoredValue(value);
    const bool losesBlanks =
        !encoded.empty() && (IsBlank(encoded.front()) || IsBlank(encoded.back()));
    if (losesBlanks || HasSurroundingQuotes(encoded))
        encoded = '"' + encoded + '"';
    if (!Stored(section) || !Stored(key) || !Stored(encoded))
        ConvertToUtf8();
    const std::string storedKey = *Stored(key);
    const std::string storedValue = *Stored(encoded);
    Section& target = m_sections[SectionIndexForWriting(*Stored(section))];

    if (const Line* existing = FindKey(target, storedKey)) {
        Line& line = target.lines[static_cast<std::size_t>(existing - target.lines.data())];
        line = MakeLine(Keep(std::string(line.key) + "=" + storedValue), line.ending);
        return true;
    }
    auto lastKey = std::find_if(target.lines.rbegin(), target.lines.rend(),
                                [](const Line& line) { return line.isKey; });
    target.lines.insert(lastKey.base(), MakeLine(Keep(storedKey + "=" + storedValue), m_lineBreak));
    return true;
}

bool ProfileDocument::WriteInt(std::string_view section, std::string_view key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

std::vector<std::string_view> ProfileDocument::SectionNames() const
{
    std::vector<std::string_view> names;
    names.reserve(m_sectionByName.size());
    for (const auto& [name, index] : m_sectionByName)
        names.push_back(name);
    return names;
}

void ProfileDocument::ConvertToUtf8()
{
    if (m_encoding != FileEncoding::Windows1252)
        return;
    // Every line by the code page, also those whose bytes happen to be valid UTF-8 too.
    auto convert = [&](Line& line, bool isHeader) {
        if (IsAscii(line.text))
            return;
        std::string converted;
        AppendWindows1252AsUtf8(line.text, converted);
        const std::string_view kept = Keep(std::move(converted));
        line = isHeader ? Line{kept, {}, {}, false, line.ending} : MakeLine(kept, line.ending);
    };
    for (Section& section : m_sections) {
        convert(section.header, true);
        for (Line& line : section.lines)
            convert(line, false);
    }
    m_encoding = FileEncoding::Utf8;
    IndexSections();
}

} // namespace platform
