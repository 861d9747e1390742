#pragma once

#include "text/TextEncoding.h"

#include <cstdint>
#include <string>
#include <vector>

// One reading of a CSV source from its start: the header, then the data records one by one,
// streamed through a fixed buffer so a file of any size is never held whole. Lines end at a
// line feed; a carriage return before it belongs to the line break, a lone one does not end
// a line. A record continues over line breaks inside a quoted field, which keeps them as the
// file has them (CR LF or LF). A quote that is still open at the end of the file ends quoting:
// from its record on, every line is a record and quotes are no more than characters to drop,
// as in a file without quoting, so no row after a stray quote is lost. Text arrives as UTF-8.
class CsvSource
{
public:
    CsvSource() = default;
    ~CsvSource();
    CsvSource(const CsvSource&) = delete;
    CsvSource& operator=(const CsvSource&) = delete;

    // Opens a regular file and reads its first record, the header (an empty one counts).
    // False when the path is empty, the file cannot be opened or is no regular file, or it
    // holds no line at all.
    bool Open(const std::string& path);
    void Close();

    const std::string& Header() const { return m_header; }

    // The next data record; false at the end of the file.
    bool ReadLine(std::string& record);

    // Bytes of the file up to the end of the last record read, and the file's size.
    std::uint64_t Position() const { return m_bufferOffset + m_begin; }
    std::uint64_t Length() const { return m_length; }

private:
    bool Fill();
    bool ReadRawLine(std::string& raw, bool& endedWithLineFeed);
    bool ReadPhysicalLine(std::string& line, bool& endedWithCrLf);
    std::size_t FindLineFeed() const;
    void SeekTo(std::uint64_t position);

    int m_fd = -1;
    platform::SourceEncoding m_encoding = platform::SourceEncoding::EightBit;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;          // first unread byte in m_buffer
    std::size_t m_end = 0;            // end of the bytes read into m_buffer
    std::uint64_t m_bufferOffset = 0; // file offset of m_buffer[0]
    std::uint64_t m_length = 0;
    bool m_atEnd = false;
    bool m_quoting = true; // false once a quote was found open at the end of the file
    std::string m_header;
    std::string m_raw;  // a line's bytes before decoding (UTF-16 only)
    std::string m_next; // a further line of a record with a quoted line break
};
