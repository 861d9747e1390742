#pragma once

#include <QString>
#include <functional>
#include <vector>

class QDialog;

namespace platform {

// Runs a dialog modally and returns its result code.
int RunModal(QDialog& dialog);

// While alive, every modal run is answered by the handler instead (it may look at the dialog
// and press its buttons) and the dialog's object name is recorded, so tests never wait for a
// person.
class ScopedModalAnswers
{
public:
    using Handler = std::function<int(QDialog&)>;

    explicit ScopedModalAnswers(Handler handler);
    ~ScopedModalAnswers();
    ScopedModalAnswers(const ScopedModalAnswers&) = delete;
    ScopedModalAnswers& operator=(const ScopedModalAnswers&) = delete;

    const std::vector<QString>& shown() const { return m_shown; }

private:
    friend int RunModal(QDialog&);
    Handler m_handler;
    std::vector<QString> m_shown;
    ScopedModalAnswers* m_previous;
};

} // namespace platform
