#pragma once

#include <filesystem>

// The import program: it shows the wizard, and ends when the wizard closes.
class CImportApp
{
public:
    // iniPath is the phone book the wizard imports into: beside the program unless told.
    explicit CImportApp(std::filesystem::path iniPath);

    // Runs the wizard modally; Finish and Cancel end the program alike.
    int InitInstance();

private:
    std::filesystem::path m_iniPath;
};
