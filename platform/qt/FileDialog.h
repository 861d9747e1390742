#pragma once

#include "qt/ScopedAnswers.h"

#include <optional>
#include <string>

class QWidget;

namespace platform {

struct OpenFileRequest
{
    std::string defaultExtension; // added to a typed name without one, e.g. "csv"
    std::string initialFileName;  // where the dialog starts: a name or a path
    // Pairs of description and patterns, written as the original platform writes them:
    // "Text files (*.txt)|*.txt|All files (*.*)|*.*||".
    std::string filter;
};

// The platform's file-open dialog. The full path of the chosen file, or nothing when the
// user cancels. Texts are the program's 8-bit text and are converted here.
std::optional<std::string> ShowOpenFileDialog(QWidget* owner, const OpenFileRequest& request);

// Answers file-open dialogs in tests.
using ScopedOpenFileDialogAnswers = ScopedAnswers<OpenFileRequest, std::optional<std::string>>;

} // namespace platform
