#include "CsvFields.h"

namespace {

constexpr char kQuote = '"';
constexpr char kSeparator = ',';

} // namespace

void CsvQuoteTracker::Feed(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (m_insideQuotes) {
            if (c != kQuote)
                continue;
            if (i + 1 < text.size() && text[i + 1] == kQuote) {
                ++i;
                continue;
            }
            m_insideQuotes = false;
            m_atFieldStart = false;
        } else if (c == kSeparator) {
            m_atFieldStart = true;
        } else {
            m_insideQuotes = c == kQuote && m_atFieldStart;
            m_atFieldStart = false;
        }
    }
}

void SplitFields(std::string_view record, std::vector<std::string>& fields)
{
    std::size_t count = 0;
    const auto nextField = [&]() -> std::string& {
        if (count == fields.size())
            fields.emplace_back();
        std::string& field = fields[count++];
        field.clear();
        return field;
    };

    std::string* field = &nextField();
    bool insideQuotes = false;
    bool atFieldStart = true;
    for (std::size_t i = 0; i < record.size(); ++i) {
        const char c = record[i];
        if (insideQuotes) {
            if (c != kQuote) {
                field->push_back(c);
            } else if (i + 1 < record.size() && record[i + 1] == kQuote) {
                field->push_back(kQuote);
                ++i;
            } else {
                insideQuotes = false;
            }
        } else if (c == kSeparator) {
            field = &nextField();
            atFieldStart = true;
            continue;
        } else if (c == kQuote) {
            insideQuotes = atFieldStart;
        } else {
            field->push_back(c);
        }
        atFieldStart = false;
    }
    fields.resize(count);
}

std::vector<std::string> SplitHeader(std::string_view header)
{
    std::vector<std::string> names;
    if (header.empty())
        return names;
    SplitFields(header, names);
    // An empty last field after a final comma: the comma closed the line, it named nothing.
    if (header.back() == kSeparator && names.back().empty())
        names.pop_back();
    return names;
}
