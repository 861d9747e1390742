#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// While alive, every save question is answered by the handler instead of being shown, and is
// recorded, so that tests never wait for a person.
class ScopedSaveFileAnswers
{
public:
    using Handler = std::function<std::optional<std::filesystem::path>(const SaveFileRequest&)>;

    explicit ScopedSaveFileAnswers(Handler handler);
    ~ScopedSaveFileAnswers();
    ScopedSaveFileAnswers(const ScopedSaveFileAnswers&) = delete;
    ScopedSaveFileAnswers& operator=(const ScopedSaveFileAnswers&) = delete;

    const std::vector<SaveFileRequest>& shown() const { return m_shown; }

private:
    friend std::optional<std::filesystem::path> GetSaveFileName(QWidget*, const SaveFileRequest&);
    Handler m_handler;
    std::vector<SaveFileRequest> m_shown;
    ScopedSaveFileAnswers* m_previous;
};

} // namespace platform
