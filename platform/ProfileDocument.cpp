#include "ProfileDocument.h"

#include "TextCase.h"
#include "TextEncoding.h"

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

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool HoldsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
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

ProfileDocument::ProfileDocument() : m_parsed(std::make_unique<std::string>()), m_sections(1) {}

ProfileDocument::Line ProfileDocument::MakeLine(std::string_view text, LineBreak ending)
{
    Line line{text, {}, false, ending};
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
    // Editors on other systems begin a UTF-8 file with a byte-order mark: it is no part of the
    // first line, and it is written back as it was.
    document.m_byteOrderMark = bytes.starts_with(kByteOrderMark);
    if (document.m_byteOrderMark)
        bytes.remove_prefix(kByteOrderMark.size());
    document.m_parsed->assign(bytes);
    const std::string_view parsed = *document.m_parsed;
    bool lineBreakSeen = false;
    std::size_t start = 0;
    while (start < parsed.size()) {
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

        if (SectionNameOf(text))
            document.m_sections.push_back(Section{Line{text, {}, false, ending}, {}});
        else
            document.m_sections.back().lines.push_back(MakeLine(text, ending));
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

std::string ProfileDocument::Serialize() const
{
    std::string bytes(m_byteOrderMark ? kByteOrderMark : "");
    bytes.reserve(m_parsed->size() + 64);
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
            bytes += lineBreak(m_lineBreak);
        else if (previous == LineBreak::Cr)
            bytes += '\n';
        bytes += line.text;
        bytes += lineBreak(line.ending);
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

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view name) const
{
    auto found = m_sectionByName.find(Trim(name));
    return found == m_sectionByName.end() ? nullptr : &m_sections[found->second];
}

const ProfileDocument::Line* ProfileDocument::FindKey(const Section& section, std::string_view key)
{
    key = Trim(key);
    for (const Line& line : section.lines) {
        if (line.isKey && EqualIgnoringCase(line.key, key))
            return &line;
    }
    return nullptr;
}

std::string ProfileDocument::ReadString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue) const
{
    const Section* found = FindSection(section);
    const Line* line = found ? FindKey(*found, key) : nullptr;
    return std::string(line ? DecodeValue(line->text) : defaultValue);
}

int ProfileDocument::ReadInt(std::string_view section, std::string_view key, int defaultValue) const
{
    const Section* found = FindSection(section);
    const Line* line = found ? FindKey(*found, key) : nullptr;
    return line ? ParseProfileInt(DecodeValue(line->text)) : defaultValue;
}

std::size_t ProfileDocument::SectionIndexForWriting(std::string_view name)
{
    name = Trim(name);
    if (auto found = m_sectionByName.find(name); found != m_sectionByName.end())
        return found->second;
    const std::string_view header = Keep("[" + std::string(name) + "]");
    m_sections.push_back(Section{Line{header, {}, false, m_lineBreak}, {}});
    m_sectionByName.emplace(header.substr(1, name.size()), m_sections.size() - 1);
    return m_sections.size() - 1;
}

bool ProfileDocument::CanWrite(std::string_view section, std::string_view key)
{
    key = Trim(key);
    const bool keyStartsOtherLine = !key.empty() && (key.front() == ';' || key.front() == '[');
    return !HoldsLineBreak(section) && section.find(']') == std::string_view::npos &&
           !HoldsLineBreak(key) && key.find('=') == std::string_view::npos && !keyStartsOtherLine;
}

std::string ProfileDocument::StoredValue(std::string_view value)
{
    std::string stored(value);
    std::replace(stored.begin(), stored.end(), '\r', ' ');
    std::replace(stored.begin(), stored.end(), '\n', ' ');
    return stored;
}

bool ProfileDocument::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value)
{
    if (!CanWrite(section, key))
        return false;
    Section& target = m_sections[SectionIndexForWriting(section)];
    // Quotes keep the blanks at either end and a value's own surrounding quotes.
    std::string encoded = StoredValue(value);
    const bool losesBlanks =
        !encoded.empty() && (IsBlank(encoded.front()) || IsBlank(encoded.back()));
    if (losesBlanks || HasSurroundingQuotes(encoded))
        encoded = '"' + encoded + '"';

    if (const Line* existing = FindKey(target, key)) {
        Line& line = target.lines[static_cast<std::size_t>(existing - target.lines.data())];
        line = MakeLine(Keep(std::string(line.key) + "=" + encoded), line.ending);
        return true;
    }
    auto lastKey = std::find_if(target.lines.rbegin(), target.lines.rend(),
                                [](const Line& line) { return line.isKey; });
    target.lines.insert(lastKey.base(),
                        MakeLine(Keep(std::string(Trim(key)) + "=" + encoded), m_lineBreak));
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

bool ProfileDocument::IsUtf8() const
{
    auto valid = [](const Line& line) { return IsValidUtf8(line.text); };
    return std::all_of(m_sections.begin(), m_sections.end(), [&](const Section& section) {
        return valid(section.header) &&
               std::all_of(section.lines.begin(), section.lines.end(), valid);
    });
}

void ProfileDocument::ConvertToUtf8()
{
    auto convert = [&](Line& line, bool isHeader) {
        if (IsValidUtf8(line.text))
            return;
        std::string converted;
        AppendWindows1252AsUtf8(line.text, converted);
        const std::string_view kept = Keep(std::move(converted));
        line = isHeader ? Line{kept, {}, false, line.ending} : MakeLine(kept, line.ending);
    };
    for (Section& section : m_sections) {
        convert(section.header, true);
        for (Line& line : section.lines)
            convert(line, false);
    }
    IndexSections();
}

} // namespace platform
