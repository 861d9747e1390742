#include "BackgroundReading.h"

BackgroundReading::~BackgroundReading()
{
    Stop();
}

void BackgroundReading::Start(Work work)
{
    Stop();
    m_stop = false;
    m_ended = false;
    m_done = 0;
    m_total = 0;
    m_thread = std::thread([this, work = std::move(work)] {
        work([this](std::uint64_t done, std::uint64_t total) {
            m_total = total;
            m_done = done;
            return !m_stop;
        });
        const std::lock_guard lock(m_endMutex);
        m_ended = true;
        m_endChanged.notify_all();
    });
}

void BackgroundReading::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool BackgroundReading::Ended()
{
    return WaitForEnd(std::chrono::milliseconds(0));
}

bool BackgroundReading::WaitForEnd(std::chrono::milliseconds bound)
{
    {
        std::unique_lock lock(m_endMutex);
        if (!m_endChanged.wait_for(lock, bound, [this] { return m_ended; }))
            return false;
    }
    // The work has ended; joining makes everything it wrote visible here.
    if (m_thread.joinable())
        m_thread.join();
    return true;
}
