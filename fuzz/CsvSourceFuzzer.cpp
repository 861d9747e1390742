// The CSV source reader against any bytes: every record and field arrives as valid UTF-8 and the
// reading ends at the end of the file. The same input, read as a table, is also written with
// RFC 4180 quoting in UTF-8 (with and without a byte-order mark) or UTF-16 (either byte order)
// and must read back field for field.
#include "CsvFields.h"
#include "CsvSource.h"
#include "CsvWriter.h"
#include "FuzzFile.h"
#include "text/TextEncoding.h"

#include <cstdlib>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void ReadAnyBytes(std::string_view bytes)
{
    CsvSource source;
    if (!source.Open(FuzzFile::Instance().Hold(bytes)))
        return;
    Check(platform::IsValidUtf8(source.Header()));
    std::vector<std::string> fields;
    std::string record;
    std::uint64_t position = source.Position();
    while (source.ReadLine(record)) {
        Check(platform::IsValidUtf8(record));
        SplitFields(record, fields);
        for (const std::string& field : fields)
            Check(platform::IsValidUtf8(field));
        Check(source.Position() >= position);
        position = source.Position();
    }
    Check(source.Position() == source.Length());
}

void AppendUnit(std::string& out, std::uint32_t unit, bool bigEndian)
{
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

// Valid UTF-8 as UTF-16 with its byte-order mark.
std::string Utf16(std::string_view utf8, bool bigEndian)
{
    std::string out;
    AppendUnit(out, 0xFEFF, bigEndian);
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        if (code < 0x10000) {
            AppendUnit(out, code, bigEndian);
        } else {
            code -= 0x10000;
            AppendUnit(out, 0xD800 | (code >> 10), bigEndian);
            AppendUnit(out, 0xDC00 | (code & 0x3FF), bigEndian);
        }
    }
    return out;
}

void ReadBackWrittenTable(std::string_view data)
{
    if (data.empty())
        return;
    const unsigned encoding = static_cast<unsigned char>(data[0]) % 4;
    std::vector<std::vector<std::string>> table = SplitTable(data.substr(1));
    std::string csv;
    for (std::vector<std::string>& fields : table) {
        for (std::string& field : fields)
            platform::MakeUtf8(field);
        AppendCsvRecord(csv, fields);
    }
    // Text that begins like a byte-order mark needs one of its own in front.
    const bool mark = encoding == 1 || csv.starts_with("\xEF\xBB\xBF");
    const std::string bytes = encoding >= 2 ? Utf16(csv, encoding == 3)
                              : mark        ? "\xEF\xBB\xBF" + csv
                                            : csv;

    CsvSource source;
    Check(source.Open(FuzzFile::Instance().Hold(bytes)));
    std::vector<std::string> fields;
    SplitFields(source.Header(), fields);
    Check(fields == table[0]);
    std::string record;
    for (std::size_t i = 1; i < table.size(); ++i) {
        Check(source.ReadLine(record));
        SplitFields(record, fields);
        Check(fields == table[i]);
    }
    Check(!source.ReadLine(record));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ReadAnyBytes(bytes);
    ReadBackWrittenTable(bytes);
    return 0;
}
