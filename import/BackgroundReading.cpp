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
        m_ended = true;
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
    if (!m_ended)
        return false;
    // The work has ended; joining makes everything it wrote visible here.
    if (m_thread.joinable())
        m_thread.join();
    return true;
}
