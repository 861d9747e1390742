#pragma once

#include "NameSelection.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// One piece of work at a time on a thread of its own, so that the wizard stays responsive with a
// source of any size. The user interface's thread looks at how far it has come and whether it has
// ended; nothing passes the other way while it runs, so neither thread ever waits for the other.
// The work tells its progress often (after every record, every few thousand steps of a sort), and
// the answer tells it to end early: Stop, which then waits for it, takes moments.
class BackgroundReading
{
public:
    using Work = std::function<void(const WorkProgress& progress)>;

    BackgroundReading() = default;
    ~BackgroundReading();
    BackgroundReading(const BackgroundReading&) = delete;
    BackgroundReading& operator=(const BackgroundReading&) = delete;

    // Stops any work still running, then starts this one.
    void Start(Work work);
    void Stop();

    // The progress the work told last.
    std::uint64_t Done() const { return m_done; }
    std::uint64_t Total() const { return m_total; }
    // Whether the work has ended; what it left is then there to read.
    bool Ended();
    // Waits at most this long for the work to end; whether it has.
    bool WaitForEnd(std::chrono::milliseconds bound);

private:
    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    std::mutex m_endMutex;
    std::condition_variable m_endChanged;
    bool m_ended = false; // guarded by m_endMutex
    std::atomic<std::uint64_t> m_done = 0;
    std::atomic<std::uint64_t> m_total = 0;
};
