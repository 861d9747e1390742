#pragma once

#include <filesystem>

class QWidget;

// Telmo Export: writes the live entries of one telmo.ini, in menu order, to a CSV file that the
// user chooses, and tells the user how it went. The questions and messages go through the
// platform's seams, so tests answer them.
class PhoneBookExport
{
public:
    enum class Outcome
    {
        Exported,
        NothingToExport,
        Cancelled,
        Failed
    };

    // defaultFolder is where the save question starts, with the name "telmo.csv".
    PhoneBookExport(std::filesystem::path iniPath, std::filesystem::path defaultFolder);

    Outcome Run(QWidget* owner) const;

private:
    std::filesystem::path m_iniPath;
    std::filesystem::path m_defaultFolder;
};
