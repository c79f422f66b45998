// Whether a wheel turn is a zoom step: the chord of modifier keys configured
// in the settings against the keys held at that moment.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

namespace win32 {
// WHEEL_DELTA, copied from the system headers (app/Win32Mirrors.cpp checks it).
constexpr int kWheelDelta = 120;
} // namespace win32

class ISettings;

// The four MouseZoom settings as read from the store; a key belongs to the
// chord when bit 0 of its value is set, so "2" is off and "3" is on.
struct WheelChordSettings {
    int ctrl = 0;
    int alt = 0;
    int shift = 0;
    int win = 0;
};

// Reads MouseZoomCtrl, MouseZoomAlt, MouseZoomShift and MouseZoomWin, in this
// order (a missing key is appended to the file as it is read).
WheelChordSettings ReadWheelChordSettings(ISettings& settings);

// With no key in the chord the wheel never zooms; the hook can then pass the
// event on without asking for any key state.
bool IsWheelChordEmpty(const WheelChordSettings& chord);

struct HeldModifiers {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    bool lwin = false;
    bool rwin = false;
};

struct WheelDecision {
    bool zoom = false;
    // Meaningful only when zoom is set: true for a turn away from the user.
    bool forward = false;
};

// Zooms when exactly the configured keys are held; either Windows key counts
// as the Windows key. A delta of 0 counts as backward. With no zoom shown a
// backward turn would change nothing: it stays the program's (its own zoom
// out, say).
WheelDecision DecideWheelZoom(const WheelChordSettings& chord, const HeldModifiers& held,
                              int wheelDelta, bool zoomShown);

// The wheel delta of a low-level mouse record: the high word of mouseData as
// a signed 16-bit number.
int WheelDeltaFromMouseData(uint32_t mouseData);

// Adds up the wheel deltas of one direction into steps. Precision touchpads
// and fine wheels send many deltas below a notch (120); each full 120 is one
// step, so a notch of a plain wheel stays exactly one step, and the
// remainder carries over to the next event. A turn the other way, or a pause
// longer than kPauseMs, drops the remainder.
class WheelDeltaSum {
public:
    static constexpr int kNotch = win32::kWheelDelta;
    static constexpr std::uint32_t kPauseMs = 500;

    // The steps this delta completes, in its direction (a delta of 0 counts
    // as backward); timeMs is the event's time stamp in milliseconds, which
    // may wrap.
    int Add(int delta, std::uint32_t timeMs);
    // Forgets the remainder: the chord was let go.
    void Reset() { m_sum = 0; }

private:
    int m_sum = 0;
    std::uint32_t m_lastMs = 0;
};

// The wheel events of the hook in the order they arrived, with the zoom step
// each one asked for. A hook call can begin while an earlier one is still
// deciding: under Wine the key-state query lets the thread take the next
// hook call in, and a slow settings file leaves wheel notches waiting. The
// later notch must not step the zoom before the earlier one.
class WheelEventOrder {
public:
    using Event = std::uint64_t;

    // A new event, not decided yet; call before anything that can let
    // another hook call in.
    Event Arrive();
    // Whether an event that arrived before this one is undecided or holds a
    // step not taken yet: the zoom it asks for is still to come.
    bool EarlierPending(Event event) const;
    // The event's outcome: steps (true forward, false backward; steps of
    // them, possibly none yet), or no direction when the event was passed on.
    void Decide(Event event, std::optional<bool> forwardStep, int steps = 1);
    // Runs take(forward) for the decided steps in arrival order, up to the
    // first event still undecided. A call made while take runs (a hook call
    // let in by the step) leaves its steps to the loop already running.
    template <class Take> void TakeSteps(Take take) {
        if (m_taking) {
            return;
        }
        m_taking = true;
        while (!m_events.empty() && m_events.front().state != State::Undecided) {
            const Entry entry = m_events.front();
            m_events.pop_front();
            for (int i = 0; entry.state != State::Passed && i < entry.steps; ++i) {
                take(entry.state == State::Forward);
            }
        }
        m_taking = false;
    }

private:
    enum class State { Undecided, Passed, Forward, Backward };
    struct Entry {
        Event event;
        State state;
        int steps;
    };
    std::deque<Entry> m_events;
    Event m_next = 0;
    bool m_taking = false;
};
