#include "ProfileDocument.h"

#include "TextCase.h"

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

// Quotes a value whose blanks or quotes would otherwise be lost when read back, and turns line
// breaks into blanks so that no value can end its line and start a key or a section.
std::string EncodeValue(std::string_view value)
{
    std::string encoded(value);
    std::replace(encoded.begin(), encoded.end(), '\r', ' ');
    std::replace(encoded.begin(), encoded.end(), '\n', ' ');
    bool loosesBlanks = !encoded.empty() && (IsBlank(encoded.front()) || IsBlank(encoded.back()));
    if (loosesBlanks || HasSurroundingQuotes(encoded))
        return '"' + encoded + '"';
    return encoded;
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
        }
        start = newline == std::string_view::npos ? parsed.size() : newline + 1;

        if (std::optional<std::string_view> name = SectionNameOf(text)) {
            document.m_sectionByName.try_emplace(*name, document.m_sections.size());
            document.m_sections.push_back(Section{Line{text, {}, false, ending}, {}});
        } else {
            document.m_sections.back().lines.push_back(MakeLine(text, ending));
        }
    }
    return document;
}

std::string ProfileDocument::Serialize() const
{
    std::string bytes;
    bytes.reserve(m_parsed->size() + 64);
    auto lineBreak = [](LineBreak ending) -> std::string_view {
        return ending == LineBreak::CrLf ? "\r\n" : ending == LineBreak::Lf ? "\n" : "";
    };
    auto append = [&](const Line& line) {
        // A line that lost its break by being last gets one once something follows it.
        if (!bytes.empty() && bytes.back() != '\n')
            bytes += lineBreak(m_lineBreak);
        bytes += line.text;
        bytes += lineBreak(line.ending);
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

void ProfileDocument::WriteString(std::string_view section, std::string_view key,
                                  std::string_view value)
{
    Section& target = m_sections[SectionIndexForWriting(section)];
    const std::string encoded = EncodeValue(value);

    if (const Line* existing = FindKey(target, key)) {
        Line& line = target.lines[static_cast<std::size_t>(existing - target.lines.data())];
        line = MakeLine(Keep(std::string(line.key) + "=" + encoded), line.ending);
        return;
    }
    auto lastKey = std::find_if(target.lines.rbegin(), target.lines.rend(),
                                [](const Line& line) { return line.isKey; });
    target.lines.insert(lastKey.base(),
                        MakeLine(Keep(std::string(Trim(key)) + "=" + encoded), m_lineBreak));
}

void ProfileDocument::WriteInt(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

} // namespace platform
