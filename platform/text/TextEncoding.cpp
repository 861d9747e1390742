#include "text/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

void AppendCodePoint(char32_t codePoint, std::string& out)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

// Windows-1252 bytes 0x80..0x9F; the five bytes the code page leaves undefined map to the C1
// controls of the same value, as the platform's own conversion does.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is not valid
// (overlong forms, surrogates and values above U+10FFFF are rejected).
std::size_t ValidSequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    const std::size_t left = text.size() - i;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && IsContinuation(byte(1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !IsContinuation(byte(1)) || !IsContinuation(byte(2)))
            return 0;
        if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0))
            return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !IsContinuation(byte(1)) || !IsContinuation(byte(2)) ||
            !IsContinuation(byte(3)))
            return 0;
        if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

// The code point of one valid UTF-8 sequence.
char32_t DecodeSequence(std::string_view sequence)
{
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t codePoint = static_cast<unsigned char>(sequence[0]) & kLeadMask[sequence.size()];
    for (std::size_t k = 1; k < sequence.size(); ++k)
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(sequence[k]) & 0x3F);
    return codePoint;
}

// The code point at text[i], moving i past it; a byte that begins no valid sequence is U+FFFD.
char32_t NextCodePoint(std::string_view text, std::size_t& i)
{
    const std::size_t length = ValidSequenceLength(text, i);
    if (length == 0) {
        ++i;
        return kReplacementCharacter;
    }
    const char32_t codePoint = DecodeSequence(text.substr(i, length));
    i += length;
    return codePoint;
}

// A character's place in the order of Windows-1252 bytes; characters outside it come after.
char32_t Windows1252Rank(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return codePoint;
    const auto* high = std::find(kWindows1252High.begin(), kWindows1252High.end(), codePoint);
    if (high != kWindows1252High.end())
        return static_cast<char32_t>(0x80 + (high - kWindows1252High.begin()));
    return 0x100 + codePoint;
}

void AppendUtf16Unit(char16_t unit, bool bigEndian, std::string& out)
{
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
}

} // namespace

DetectedEncoding DetectEncoding(std::string_view firstBytes)
{
    if (firstBytes.starts_with("\xEF\xBB\xBF"))
        return {SourceEncoding::EightBit, 3};
    if (firstBytes.starts_with("\xFF\xFE"))
        return {SourceEncoding::Utf16LE, 2};
    if (firstBytes.starts_with("\xFE\xFF"))
        return {SourceEncoding::Utf16BE, 2};
    return {};
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        // Contact data is mostly ASCII: skip eight such bytes at a time.
        std::uint64_t word;
        if (text.size() - i >= sizeof word) {
            std::memcpy(&word, text.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += sizeof word;
                continue;
            }
        }
        const std::size_t length = ValidSequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void MakeUtf8(std::string& text)
{
    if (IsValidUtf8(text))
        return;
    std::string converted;
    converted.reserve(text.size() + text.size() / 2);
    AppendWindows1252AsUtf8(text, converted);
    text.swap(converted);
}

std::string AsUtf8(std::string_view text)
{
    std::string converted(text);
    MakeUtf8(converted);
    return converted;
}

void AppendWindows1252AsUtf8(std::string_view text, std::string& out)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F)
            AppendCodePoint(kWindows1252High[byte - 0x80], out);
        else
            AppendCodePoint(byte, out);
    }
}

std::optional<std::string> Utf8AsWindows1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        // Bytes that are no UTF-8 read as U+FFFD, which has no place in the code page either.
        const char32_t rank = Windows1252Rank(NextCodePoint(text, i));
        if (rank > 0xFF)
            return std::nullopt;
        out.push_back(static_cast<char>(rank));
    }
    return out;
}

void AppendUtf16AsUtf8(std::string_view bytes, bool bigEndian, std::string& out)
{
    const auto unitAt = [&](std::size_t i) -> char16_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    const std::size_t units = bytes.size() / 2;
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t unit = unitAt(2 * k);
        if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < units) {
            const char16_t low = unitAt(2 * (k + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendCodePoint(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
                ++k;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            AppendCodePoint(kReplacementCharacter, out);
        else
            AppendCodePoint(unit, out);
    }
    if (bytes.size() % 2 != 0)
        AppendCodePoint(kReplacementCharacter, out);
}

void AppendUtf8AsUtf16(std::string_view text, bool bigEndian, std::string& out)
{
    for (std::size_t i = 0; i < text.size();) {
        const char32_t codePoint = NextCodePoint(text, i);
        if (codePoint < 0x10000) {
            AppendUtf16Unit(static_cast<char16_t>(codePoint), bigEndian, out);
        } else {
            AppendUtf16Unit(static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10)),
                            bigEndian, out);
            AppendUtf16Unit(static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)),
                            bigEndian, out);
        }
    }
}

std::string ValidUtf8(std::string_view text)
{
    if (IsValidUtf8(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();)
        AppendCodePoint(NextCodePoint(text, i), out);
    return out;
}

bool IsAscii(std::string_view text)
{
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

bool SortsBeforeInWindows1252Order(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t k = 0;
    while (i < a.size() && k < b.size()) {
        const char32_t left = Windows1252Rank(NextCodePoint(a, i));
        const char32_t right = Windows1252Rank(NextCodePoint(b, k));
        if (left != right)
            return left < right;
    }
    return i == a.size() && k < b.size();
}

} // namespace platform
