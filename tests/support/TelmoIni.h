#pragma once

#include <array>
#include <string>

namespace testsupport {

// The text of a telmo.ini, built section by section as the programs write it. The keys are
// spelled out here rather than taken from the code under test, so that a wrong key there fails.
class TelmoIni
{
public:
    using Numbers = std::array<std::string, 5>; // home, work, cellphone, fax, beeper

    TelmoIni& General(int count, int topPos = -1)
    {
        m_text += "[General]\nCount=" + std::to_string(count) + "\n";
        if (topPos >= 0)
            m_text += "TopPos=" + std::to_string(topPos) + "\n";
        return *this;
    }

    TelmoIni& Item(int number, const std::string& name, const Numbers& numbers = {}, int pos = 0,
                   int deleted = 0)
    {
        static constexpr const char* kKeys[] = {"HomePhone", "WorkPhone", "CellPhone", "Fax",
                                                "Beeper"};
        m_text += "[Item" + std::to_string(number) + "]\nName=" + name + "\n";
        for (std::size_t kind = 0; kind < numbers.size(); ++kind)
            m_text += std::string(kKeys[kind]) + "=" + numbers[kind] + "\n";
        m_text += "Pos=" + std::to_string(pos) + "\nDeleted=" + std::to_string(deleted) + "\n";
        return *this;
    }

    // Anything else: a comment, a [Modem] section, bytes a hostile writer left.
    TelmoIni& Text(const std::string& lines)
    {
        m_text += lines;
        return *this;
    }

    const std::string& str() const { return m_text; }
    operator const std::string&() const { return m_text; }

private:
    std::string m_text;
};

} // namespace testsupport
