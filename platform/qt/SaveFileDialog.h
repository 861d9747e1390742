#pragma once

#include "qt/ScopedAnswers.h"

#include <filesystem>
#include <optional>
#include <string>

class QWidget;

namespace platform {

struct SaveFileRequest
{
    std::string caption;
    std::filesystem::path initialPath; // folder and proposed file name
    std::string filter;                // Qt form: "CSV files (*.csv);;All files (*)"
    std::string defaultSuffix;         // added to a name typed without one, e.g. "csv"
};

// Asks the user where to save, with the desktop's save dialog; it asks before a file is
// overwritten. Nothing when the user cancels. Texts are the program's 8-bit text.
std::optional<std::filesystem::path> GetSaveFileName(QWidget* owner,
                                                     const SaveFileRequest& request);

// Answers save questions in tests.
using ScopedSaveFileAnswers = ScopedAnswers<SaveFileRequest, std::optional<std::filesystem::path>>;

} // namespace platform
