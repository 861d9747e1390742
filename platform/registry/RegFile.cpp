#include "registry/RegFile.h"

#include "text/TextCase.h"
#include "text/TextEncoding.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <utility>

namespace platform {

namespace {

constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
// Roots that a registry export may hold besides HKEY_LOCAL_MACHINE; their keys are left out.
constexpr std::array<std::string_view, 6> kOtherRoots = {
    "HKEY_CLASSES_ROOT",   "HKEY_CURRENT_USER", "HKEY_USERS",
    "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",     "HKEY_PERFORMANCE_DATA"};
constexpr std::string_view kVersion4Header = "REGEDIT4";
constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";

std::optional<std::uint32_t> HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

// 1 to maxDigits hexadecimal digits and nothing else.
std::optional<std::uint32_t> ParseHex(std::string_view digits, std::size_t maxDigits)
{
    if (digits.empty() || digits.size() > maxDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
        std::optional<std::uint32_t> digit = HexDigit(c);
        if (!digit)
            return std::nullopt;
        value = value << 4 | *digit;
    }
    return value;
}

// The lines of a text one at a time, each ended by CR LF, LF or a lone CR, so that no more than
// the current line is held apart from the text.
class LineReader
{
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool AtEnd() const { return m_position == m_text.size(); }
    // The number of the line that Next returned last, counted from 1.
    std::size_t Number() const { return m_number; }

    std::string_view Peek() const { return m_text.substr(m_position, LineLength()); }

    std::string_view Next()
    {
        std::string_view line = Peek();
        m_position += line.size();
        if (m_position < m_text.size())
            m_position += m_text.compare(m_position, 2, "\r\n") == 0 ? 2 : 1;
        ++m_number;
        return line;
    }

private:
    std::size_t LineLength() const
    {
        std::size_t end = m_text.find_first_of("\r\n", m_position);
        return (end == std::string_view::npos ? m_text.size() : end) - m_position;
    }

    std::string_view m_text;
    std::size_t m_position = 0;
    std::size_t m_number = 0;
};

// A line that carries on the hex bytes of the value before it: bytes, commas and blanks, and
// perhaps a "\" for the next line. Anything else (a key, a value, a comment) ends the value.
bool IsHexContinuation(std::string_view line)
{
    line = Trim(line);
    return !line.empty() && std::ranges::all_of(line, [](char c) {
        return HexDigit(c) || c == ',' || c == '\\' || IsBlank(c);
    });
}

// A quoted text with the \\ and \" escapes, starting at the opening quote. Any other backslash
// stands for itself, so hand-written paths such as "C:\modem" survive.
struct QuotedText
{
    std::string text;
    std::string_view rest; // what follows the closing quote
};

std::optional<QuotedText> ParseQuoted(std::string_view input)
{
    QuotedText result;
    for (std::size_t i = 1; i < input.size(); ++i) {
        char c = input[i];
        if (c == '"') {
            result.rest = input.substr(i + 1);
            return result;
        }
        if (c == '\\' && i + 1 < input.size() && (input[i + 1] == '\\' || input[i + 1] == '"'))
            c = input[++i];
        result.text.push_back(c);
    }
    return std::nullopt;
}

// The text of a .reg file as 8-bit text: UTF-16LE with a byte-order mark is converted into
// storage, a UTF-8 byte-order mark dropped, anything else taken as it is.
std::string_view DecodeRegFileText(std::string_view bytes, std::string& storage)
{
    if (bytes.starts_with("\xFF\xFE")) {
        storage.clear();
        AppendUtf16AsUtf8(bytes.substr(2), false, storage);
        return storage;
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return bytes;
}

class RegFileParser
{
public:
    RegFileParser(std::string_view text, RegistryKeyNode& localMachine)
        : m_lines(text), m_localMachine(localMachine)
    {}

    std::vector<RegFileProblem> Parse();

private:
    void ParseLine(std::string_view line);
    void ParseKeyLine(std::string_view line);
    void ParseValueLine(std::string_view line);
    std::optional<RegistryValue> ParseHexData(std::string_view typeAndBytes);
    std::string JoinContinuationLines(std::string_view first);
    bool MayAdd(std::size_t entries);
    void Skip(std::string_view reason) { SkipLine(m_lines.Number(), reason); }
    void SkipLine(std::size_t line, std::string_view reason);

    LineReader m_lines;
    RegistryKeyNode& m_localMachine;
    bool m_unicodeFile = false;
    bool m_inOtherRoot = false;
    RegistryKeyNode* m_key = nullptr;
    std::size_t m_entriesAdded = 0;
    bool m_full = false;
    std::vector<RegFileProblem> m_problems;
    std::size_t m_unlistedProblems = 0;
};

std::vector<RegFileProblem> RegFileParser::Parse()
{
    std::string_view header;
    while (header.empty() && !m_lines.AtEnd())
        header = Trim(m_lines.Next());
    if (header != kVersion4Header && header != kVersion5Header) {
        // A file of blank lines lacks its header on the line after them.
        SkipLine(m_lines.Number() + (header.empty() ? 1 : 0),
                 "not a registry file: the first line must be \"" + std::string(kVersion4Header) +
                     "\" or \"" + std::string(kVersion5Header) + "\"");
        return m_problems;
    }
    m_unicodeFile = header == kVersion5Header;
    while (!m_full && !m_lines.AtEnd())
        ParseLine(TrimLeft(m_lines.Next()));
    if (m_unlistedProblems > 0)
        m_problems.push_back(
            {0, std::to_string(m_unlistedProblems) + " more lines, not listed one by one"});
    return m_problems;
}

void RegFileParser::SkipLine(std::size_t line, std::string_view reason)
{
    if (m_problems.size() < kMaxListedRegFileProblems)
        m_problems.push_back({line, std::string(reason)});
    else
        ++m_unlistedProblems;
}

// Counts keys and values that the file adds; once they would pass the limit, the rest of the
// file is left out.
bool RegFileParser::MayAdd(std::size_t entries)
{
    if (entries <= kMaxRegFileEntries - m_entriesAdded) {
        m_entriesAdded += entries;
        return true;
    }
    Skip("more than " + std::to_string(kMaxRegFileEntries) +
         " keys and values: the rest of the file is left out");
    m_full = true;
    return false;
}

void RegFileParser::ParseLine(std::string_view line)
{
    if (line.empty() || line.front() == ';')
        return;
    if (line.front() == '[')
        ParseKeyLine(TrimRight(line));
    else if (line.front() == '"' || line.front() == '@')
        ParseValueLine(line);
    else
        Skip("neither a key, a value nor a comment");
}

void RegFileParser::ParseKeyLine(std::string_view line)
{
    m_key = nullptr;
    m_inOtherRoot = false;
    if (line.size() < 2 || line.back() != ']') {
        Skip("key line without a closing ]");
        return;
    }
    std::string_view path = line.substr(1, line.size() - 2);
    bool removal = !path.empty() && path.front() == '-';
    if (removal)
        path.remove_prefix(1);

    std::size_t separator = path.find('\\');
    std::string_view root = path.substr(0, separator);
    if (!RegistryNamesEqual(root, kLocalMachine)) {
        // Values of a key left out are not reported one by one.
        m_inOtherRoot = true;
        bool known =
            std::any_of(kOtherRoots.begin(), kOtherRoots.end(),
                        [&](std::string_view other) { return RegistryNamesEqual(root, other); });
        if (!known)
            Skip("key of an unknown root");
        return;
    }
    std::string_view subPath =
        separator == std::string_view::npos ? std::string_view() : path.substr(separator + 1);
    if (!IsValidKeyPath(subPath) || (separator != std::string_view::npos && subPath.empty())) {
        Skip("key path with an empty key name");
        return;
    }
    if (KeyDepth(subPath) > kMaxKeyDepth) {
        Skip("key path more than " + std::to_string(kMaxKeyDepth) + " keys deep");
        return;
    }
    if (removal) {
        if (subPath.empty())
            Skip("HKEY_LOCAL_MACHINE itself cannot be removed");
        else
            RemovePath(m_localMachine, subPath);
        return;
    }
    if (MayAdd(MissingKeyCount(m_localMachine, subPath)))
        m_key = &WritablePath(m_localMachine, subPath);
}

void RegFileParser::ParseValueLine(std::string_view line)
{
    std::string name;
    std::string_view rest;
    if (line.front() == '@') {
        rest = line.substr(1);
    } else {
        std::optional<QuotedText> quoted = ParseQuoted(line);
        if (!quoted) {
            Skip("value name without a closing quote");
            return;
        }
        name = std::move(quoted->text);
        rest = quoted->rest;
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest.front() != '=') {
        Skip("value without = after its name");
        return;
    }
    std::string_view data = TrimLeft(rest.substr(1));

    std::optional<RegistryValue> value;
    bool removal = false;
    std::string joined;
    if (!data.empty() && data.front() == '"') {
        std::optional<QuotedText> quoted = ParseQuoted(data);
        if (quoted && Trim(quoted->rest).empty())
            value = MakeStringValue(quoted->text);
    } else if (Trim(data) == "-") {
        removal = true;
    } else if (StartsWithIgnoringCase(data, "dword:")) {
        if (std::optional<std::uint32_t> number = ParseHex(Trim(data.substr(6)), 8)) {
            std::string bytes;
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<char>(*number >> shift & 0xFF));
            value = RegistryValue{REG_DWORD, std::move(bytes)};
        }
    } else if (StartsWithIgnoringCase(data, "hex")) {
        joined = JoinContinuationLines(data);
        value = ParseHexData(joined);
    }

    if (m_inOtherRoot)
        return;
    if (!value && !removal) {
        Skip("value data that is neither text, dword:, hex: nor hex(N):");
        return;
    }
    if (!m_key) {
        Skip("value outside of a key of HKEY_LOCAL_MACHINE");
        return;
    }
    if (removal)
        m_key->values.erase(name);
    else if (m_key->values.contains(name) || MayAdd(1))
        m_key->values.insert_or_assign(std::move(name), std::move(*value));
}

// Hex data may go on over lines that end with "\"; the continuation lines join the first one.
std::string RegFileParser::JoinContinuationLines(std::string_view first)
{
    std::string joined(TrimRight(first));
    while (!joined.empty() && joined.back() == '\\') {
        joined.pop_back();
        if (m_lines.AtEnd() || !IsHexContinuation(m_lines.Peek()))
            break;
        joined += Trim(m_lines.Next());
    }
    return joined;
}

std::optional<RegistryValue> RegFileParser::ParseHexData(std::string_view typeAndBytes)
{
    RegistryValue value{REG_BINARY, {}};
    std::string_view bytes;
    if (StartsWithIgnoringCase(typeAndBytes, "hex:")) {
        bytes = typeAndBytes.substr(4);
    } else if (StartsWithIgnoringCase(typeAndBytes, "hex(")) {
        std::size_t close = typeAndBytes.find("):");
        if (close == std::string_view::npos)
            return std::nullopt;
        std::optional<std::uint32_t> type = ParseHex(typeAndBytes.substr(4, close - 4), 8);
        if (!type)
            return std::nullopt;
        value.type = *type;
        bytes = typeAndBytes.substr(close + 2);
    } else {
        return std::nullopt;
    }

    bytes = Trim(bytes);
    while (!bytes.empty()) {
        std::size_t comma = bytes.find(',');
        std::optional<std::uint32_t> byte = ParseHex(Trim(bytes.substr(0, comma)), 2);
        if (!byte)
            return std::nullopt;
        value.data.push_back(static_cast<char>(*byte));
        bytes =
            comma == std::string_view::npos ? std::string_view() : Trim(bytes.substr(comma + 1));
    }

    // A version 5 file holds the text types in UTF-16LE; the 8-bit calls hand them out as 8-bit.
    bool textType =
        value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
    if (m_unicodeFile && textType) {
        std::string text;
        AppendUtf16AsUtf8(value.data, false, text);
        value.data = std::move(text);
    }
    return value;
}

} // namespace

std::vector<RegFileProblem> ApplyRegFile(std::string_view bytes, RegistryKeyNode& localMachine)
{
    std::string converted;
    return RegFileParser(DecodeRegFileText(bytes, converted), localMachine).Parse();
}

std::vector<RegFileProblem> ApplyRegFileAt(const std::filesystem::path& file,
                                           RegistryKeyNode& localMachine)
{
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return {{0, "does not exist"}};
    if (!std::filesystem::is_regular_file(file, error))
        return {{0, "not a regular file"}};
    std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error)
        return {{0, "cannot be read: " + error.message()}};
    if (size > kMaxRegFileSize)
        return {{0, "larger than " + std::to_string(kMaxRegFileSize) + " bytes"}};

    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in && !in.eof())
        return {{0, "cannot be read"}};
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return ApplyRegFile(bytes, localMachine);
}

} // namespace platform
