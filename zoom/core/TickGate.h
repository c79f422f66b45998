// What the multimedia timer's own thread shares with the zoom window's
// thread: which timer may post ticks, and whether its last tick is still
// queued. Everything else of the zoom lives on the window's thread.
#pragma once

#include <atomic>
#include <cstdint>

class TickGate {
public:
    // timerId now posts the ticks (0: no timer does). A tick of an earlier
    // timer that never arrived must not hold this timer's ticks back.
    void Open(std::uint32_t timerId) {
        m_queued = false;
        m_timerId = timerId;
    }
    void Close() { m_timerId = 0; }
    // Whether id is the timer that posts the ticks.
    bool IsCurrent(std::uint32_t id) const { return id != 0 && id == m_timerId.load(); }
    // Whether to post a tick for timer id now. Only the current timer posts,
    // and never while its last tick is still queued or running, so that
    // ticks do not pile up behind a busy thread. A true result counts as
    // queued until Release.
    bool Claim(std::uint32_t id) { return IsCurrent(id) && !m_queued.exchange(true); }
    // The claimed tick has run, or could not be posted.
    void Release() { m_queued = false; }

private:
    std::atomic<std::uint32_t> m_timerId{0};
    std::atomic<bool> m_queued{false};
};
