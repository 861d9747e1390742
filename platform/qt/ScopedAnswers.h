#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

// While alive, every request of one kind (a message box, a file dialog) is answered by the
// handler instead of being put to a person, and is recorded, so that tests never wait. When
// several are alive, the most recent one answers.
template <typename Request, typename Result> class ScopedAnswers
{
public:
    using Handler = std::function<Result(const Request&)>;

    explicit ScopedAnswers(Handler handler) : m_handler(std::move(handler)), m_previous(Current())
    {
        Current() = this;
    }
    ~ScopedAnswers() { Current() = m_previous; }
    ScopedAnswers(const ScopedAnswers&) = delete;
    ScopedAnswers& operator=(const ScopedAnswers&) = delete;

    const std::vector<Request>& shown() const { return m_shown; }

    // The answer of the handler in place, or nothing when the request is for a person.
    static std::optional<Result> AnswerFor(const Request& request)
    {
        ScopedAnswers* answers = Current();
        if (!answers)
            return std::nullopt;
        answers->m_shown.push_back(request);
        return answers->m_handler(request);
    }

private:
    static ScopedAnswers*& Current()
    {
        static ScopedAnswers* current = nullptr;
        return current;
    }

    Handler m_handler;
    std::vector<Request> m_shown;
    ScopedAnswers* m_previous;
};

} // namespace platform
