#pragma once

// Text as Telmo holds it: UTF-8 throughout, whatever encoding a file came in (below), with names
// compared as the original platform compares them (TextCase.h: ASCII letters without regard to
// case, spaces and tabs as blanks). Every conversion to UTF-8 gives valid UTF-8, whatever bytes it
// is given, so that no file can put broken text before the user or into another file.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Text from other programs, and telmo.ini files carried over from the original platform, comes
// as UTF-8 (often with a byte-order mark), as UTF-16 with a byte-order mark, or in the legacy
// Windows-1252 code page. The program's text is UTF-8, the locale's encoding, so everything read
// from such a file is converted to it here.

enum class SourceEncoding
{
    EightBit, // UTF-8, or Windows-1252 where a line is not valid UTF-8
    Utf16LE,
    Utf16BE
};

struct DetectedEncoding
{
    SourceEncoding encoding = SourceEncoding::EightBit;
    std::size_t markLength = 0; // bytes of the byte-order mark to skip
};

// Looks at the first bytes of a file (up to three are needed) for a byte-order mark.
DetectedEncoding DetectEncoding(std::string_view firstBytes);

bool IsValidUtf8(std::string_view text);

// Text of the 8-bit encodings as UTF-8: unchanged when it already is valid UTF-8, otherwise
// read as Windows-1252.
void MakeUtf8(std::string& text);
// The same for a copy: the one conversion by which the file's text is shown.
std::string AsUtf8(std::string_view text);

void AppendWindows1252AsUtf8(std::string_view text, std::string& out);

// UTF-8 text in Windows-1252, or nothing when a character has no place in that code page (or the
// text is not valid UTF-8).
std::optional<std::string> Utf8AsWindows1252(std::string_view text);

// UTF-16 code units (two bytes each, in the given byte order) as UTF-8. Unpaired surrogates
// and a last odd byte become U+FFFD, so no input can produce invalid UTF-8.
void AppendUtf16AsUtf8(std::string_view bytes, bool bigEndian, std::string& out);
// UTF-8 text as UTF-16 code units in the given byte order; bytes that are no UTF-8 become U+FFFD.
void AppendUtf8AsUtf16(std::string_view text, bool bigEndian, std::string& out);

// The text with every byte that is no part of a valid UTF-8 sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

bool IsAscii(std::string_view text);

// Whether text a sorts before text b in the order of the legacy code page's byte values: the
// characters of Windows-1252 by their byte there, every other character after all of them by its
// code point. Bytes that are no UTF-8 count as U+FFFD. The order is that of the code page's bytes
// whichever encoding the text was stored in.
bool SortsBeforeInWindows1252Order(std::string_view a, std::string_view b);

} // namespace platform
