// telmo.ini as anyone may leave it, in each encoding (the input as it is, or its text as UTF-16
// in either byte order). Any bytes parse and are written back unchanged; a write then a read gives
// the value's text as stored, for any section, key and value the writer accepts (a refused name
// changes nothing); every other key reads as before; the file written reads as the document that
// wrote it, so no file ends in two encodings; and the phone book's rules run on the result
// without fault.
#include "PhoneBookDocument.h"
#include "files/ProfileDocument.h"
#include "text/TextEncoding.h"

#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using platform::FileEncoding;
using platform::ProfileDocument;

constexpr const char* kAbsent = "\x01"
                                "absent";

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The section and key names a file's lines mention, found without the parser, so that the reads
// before and after a write can be compared for each of them.
std::vector<std::pair<std::string, std::string>> NamesMentioned(std::string_view file)
{
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    while (!file.empty() && names.size() < 64) {
        const std::size_t end = file.find('\n');
        std::string_view line = Trimmed(file.substr(0, end));
        file = end == std::string_view::npos ? std::string_view() : file.substr(end + 1);
        if (line.starts_with('[') && line.find(']') != std::string_view::npos)
            section = Trimmed(line.substr(1, line.find(']') - 1));
        else if (line.find('=') != std::string_view::npos)
            names.emplace_back(section, Trimmed(line.substr(0, line.find('='))));
    }
    return names;
}

// The file's text as its one encoding reads it, without its byte-order mark.
std::string TextOf(std::string_view file, FileEncoding encoding)
{
    file.remove_prefix(platform::DetectEncoding(file).markLength);
    std::string text;
    if (encoding == FileEncoding::Utf16LE || encoding == FileEncoding::Utf16BE)
        platform::AppendUtf16AsUtf8(file.substr(0, file.size() / 2 * 2),
                                    encoding == FileEncoding::Utf16BE, text);
    else if (encoding == FileEncoding::Windows1252)
        platform::AppendWindows1252AsUtf8(file, text);
    else
        text = file;
    return text;
}

// The input as a file of the chosen encoding: as it is, or its text in UTF-16.
std::string InEncoding(const std::string& bytes, int choice)
{
    if (choice == 0)
        return bytes;
    std::string file = choice == 1 ? "\xFF\xFE" : "\xFE\xFF";
    platform::AppendUtf8AsUtf16(bytes, choice == 2, file);
    return file;
}

bool SameName(std::string_view a, std::string_view b)
{
    a = Trimmed(a);
    b = Trimmed(b);
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string key = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(256);
    const int encoding = input.ConsumeIntegralInRange(0, 2);
    const std::string file = InEncoding(input.ConsumeRemainingBytesAsString(), encoding);

    ProfileDocument document = ProfileDocument::Parse(file);
    Require(document.Serialize() == file);

    const auto names = NamesMentioned(TextOf(file, document.Encoding()));
    std::vector<std::string> before;
    for (const auto& [s, k] : names)
        before.push_back(document.ReadString(s, k, kAbsent));

    const bool written = document.WriteString(section, key, value);
    Require(written == ProfileDocument::CanWrite(section, key));
    const std::string bytes = document.Serialize();
    if (!written)
        Require(bytes == file);

    ProfileDocument reread = ProfileDocument::Parse(bytes);
    Require((reread.Encoding() == FileEncoding::Utf16LE) ==
            (document.Encoding() == FileEncoding::Utf16LE));
    Require((reread.Encoding() == FileEncoding::Utf16BE) ==
            (document.Encoding() == FileEncoding::Utf16BE));
    if (written)
        Require(reread.ReadString(section, key, kAbsent) == ProfileDocument::StoredValue(value));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& [s, k] = names[i];
        if (!(written && SameName(s, section) && SameName(k, key)))
            Require(reread.ReadString(s, k, kAbsent) == before[i]);
    }
    for (const auto& [s, k] : NamesMentioned(TextOf(bytes, reread.Encoding())))
        Require(reread.ReadString(s, k, kAbsent) == document.ReadString(s, k, kAbsent));

    reread.ReadInt(section, key, 0);
    PhoneBookDocument book(reread);
    PhoneEntry entry;
    entry.name = value;
    // As the editor does: save over the first entry shown, then delete the second.
    const std::vector<PhoneEntry> live = book.LiveEntries();
    book.SaveEntry(live.empty() ? PhoneEntry{} : live[0], entry);
    if (const std::vector<PhoneEntry> after = book.LiveEntries(); after.size() > 1)
        book.DeleteEntry(after[1].section);
    Require(ProfileDocument::Parse(reread.Serialize()).Serialize() == reread.Serialize());
    return 0;
}
