#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// While alive, every file-open dialog is answered by the handler instead of being shown, and
// is recorded, so that tests never wait for a person.
class ScopedOpenFileDialogAnswers
{
public:
    using Handler = std::function<std::optional<std::string>(const OpenFileRequest&)>;

    explicit ScopedOpenFileDialogAnswers(Handler handler);
    ~ScopedOpenFileDialogAnswers();
    ScopedOpenFileDialogAnswers(const ScopedOpenFileDialogAnswers&) = delete;
    ScopedOpenFileDialogAnswers& operator=(const ScopedOpenFileDialogAnswers&) = delete;

    const std::vector<OpenFileRequest>& shown() const { return m_shown; }

private:
    friend std::optional<std::string> ShowOpenFileDialog(QWidget*, const OpenFileRequest&);
    Handler m_handler;
    std::vector<OpenFileRequest> m_shown;
    ScopedOpenFileDialogAnswers* m_previous;
};

} // namespace platform
