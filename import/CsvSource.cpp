#include "CsvSource.h"

#include "CsvFields.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferSize = 256 * 1024;
constexpr std::size_t kMinimumBufferSize = 4096;

bool IsUtf16(platform::SourceEncoding encoding)
{
    return encoding != platform::SourceEncoding::EightBit;
}

} // namespace

CsvSource::~CsvSource()
{
    Close();
}

bool CsvSource::Open(const std::string& path)
{
    Close();
    if (path.empty())
        return false;
    // Non-blocking only for the open itself: a named pipe must not hang the wizard.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return false;
    struct stat info
    {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        Close();
        return false;
    }
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_length = static_cast<std::uint64_t>(info.st_size);
    // A small file needs no large buffer; a file that grows meanwhile is read in more fills.
    m_buffer.resize(std::clamp<std::uint64_t>(m_length, kMinimumBufferSize, kBufferSize));
    Fill();
    const platform::DetectedEncoding detected =
        platform::DetectEncoding(std::string_view(m_buffer.data() + m_begin, m_end - m_begin));
    m_encoding = detected.encoding;
    m_begin += detected.markLength;
    if (!ReadLine(m_header)) {
        Close();
        return false;
    }
    return true;
}

void CsvSource::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_begin = m_end = 0;
    m_bufferOffset = m_length = 0;
    m_atEnd = false;
    m_quoting = true;
    m_header.clear();
}

bool CsvSource::Fill()
{
    // Keep the unread bytes (at most an odd byte of UTF-16) and read after them.
    const std::size_t kept = m_end - m_begin;
    std::memmove(m_buffer.data(), m_buffer.data() + m_begin, kept);
    m_bufferOffset += m_begin;
    m_begin = 0;
    m_end = kept;
    while (!m_atEnd) {
        const ssize_t got = ::read(m_fd, m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (got > 0) {
            m_end += static_cast<std::size_t>(got);
            return true;
        }
        if (got < 0 && errno == EINTR)
            continue;
        m_atEnd = true; // end of file, or a read error that ends the reading the same way
    }
    return false;
}

std::size_t CsvSource::FindLineFeed() const
{
    const char* start = m_buffer.data() + m_begin;
    const char* end = m_buffer.data() + m_end;
    if (!IsUtf16(m_encoding)) {
        const void* found = std::memchr(start, '\n', end - start);
        return found ? static_cast<const char*>(found) - m_buffer.data() : m_end;
    }
    const bool bigEndian = m_encoding == platform::SourceEncoding::Utf16BE;
    for (const char* unit = start; end - unit >= 2; unit += 2) {
        const char low = bigEndian ? unit[1] : unit[0];
        const char high = bigEndian ? unit[0] : unit[1];
        if (low == '\n' && high == '\0')
            return unit - m_buffer.data();
    }
    return m_end;
}

bool CsvSource::ReadRawLine(std::string& raw, bool& endedWithLineFeed)
{
    const std::size_t unitSize = IsUtf16(m_encoding) ? 2 : 1;
    raw.clear();
    bool readAny = false;
    for (;;) {
        if (m_end - m_begin < unitSize && !Fill()) {
            // The end of the file: a last odd byte of UTF-16 is kept for the decoder to flag.
            raw.append(m_buffer.data() + m_begin, m_end - m_begin);
            readAny = readAny || m_end > m_begin;
            m_begin = m_end;
            endedWithLineFeed = false;
            return readAny;
        }
        readAny = true;
        const std::size_t lineFeed = FindLineFeed();
        if (lineFeed < m_end) {
            raw.append(m_buffer.data() + m_begin, lineFeed - m_begin);
            m_begin = lineFeed + unitSize;
            endedWithLineFeed = true;
            return true;
        }
        // No line feed in the buffer: take whole units and read on.
        const std::size_t whole = (m_end - m_begin) / unitSize * unitSize;
        raw.append(m_buffer.data() + m_begin, whole);
        m_begin += whole;
    }
}

bool CsvSource::ReadPhysicalLine(std::string& line, bool& endedWithCrLf)
{
    bool endedWithLineFeed = false;
    if (!IsUtf16(m_encoding)) {
        if (!ReadRawLine(line, endedWithLineFeed))
            return false;
        endedWithCrLf = endedWithLineFeed && !line.empty() && line.back() == '\r';
        if (endedWithCrLf)
            line.pop_back();
        platform::MakeUtf8(line);
        return true;
    }
    if (!ReadRawLine(m_raw, endedWithLineFeed))
        return false;
    const bool bigEndian = m_encoding == platform::SourceEncoding::Utf16BE;
    const std::size_t size = m_raw.size();
    endedWithCrLf = endedWithLineFeed && size >= 2 && m_raw[size - (bigEndian ? 1 : 2)] == '\r' &&
                    m_raw[size - (bigEndian ? 2 : 1)] == '\0';
    if (endedWithCrLf)
        m_raw.resize(size - 2);
    line.clear();
    platform::AppendUtf16AsUtf8(m_raw, bigEndian, line);
    return true;
}

void CsvSource::SeekTo(std::uint64_t position)
{
    if (position >= m_bufferOffset && position - m_bufferOffset <= m_end) {
        m_begin = static_cast<std::size_t>(position - m_bufferOffset);
        return;
    }
    ::lseek(m_fd, static_cast<off_t>(position), SEEK_SET);
    m_bufferOffset = position;
    m_begin = m_end = 0;
    m_atEnd = false;
}

bool CsvSource::ReadLine(std::string& record)
{
    bool endedWithCrLf = false;
    if (m_fd < 0 || !ReadPhysicalLine(record, endedWithCrLf))
        return false;
    // Most records hold no quote at all; only quoted fields can carry a record over a line.
    if (std::memchr(record.data(), '"', record.size()) == nullptr)
        return true;
    if (!m_quoting) {
        std::erase(record, '"');
        return true;
    }
    CsvQuoteTracker quotes;
    quotes.Feed(record);
    if (!quotes.InsideQuotes())
        return true;
    // Look for the closing quote before keeping any line after this one: a quote that is never
    // closed would otherwise make the rest of the file one record, held whole in memory.
    const std::uint64_t restart = Position();
    std::uint64_t lines = 0;
    bool nextEndedWithCrLf = false;
    while (quotes.InsideQuotes() && ReadPhysicalLine(m_next, nextEndedWithCrLf)) {
        quotes.Feed(m_next);
        ++lines;
    }
    const bool closed = !quotes.InsideQuotes();
    SeekTo(restart);
    if (!closed) {
        m_quoting = false;
        std::erase(record, '"');
        return true;
    }
    for (; lines > 0 && ReadPhysicalLine(m_next, nextEndedWithCrLf); --lines) {
        record += endedWithCrLf ? "\r\n" : "\n";
        record += m_next;
        endedWithCrLf = nextEndedWithCrLf;
    }
    return true;
}
