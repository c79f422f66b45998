// Whether a wheel turn is a zoom step: the chord of modifier keys configured
// in the settings against the keys held at that moment.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

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
    // The event's outcome: a step (true forward, false backward), or none
    // when the event was passed on.
    void Decide(Event event, std::optional<bool> forwardStep);
    // Runs take(forward) for the decided steps in arrival order, up to the
    // first event still undecided. A call made while take runs (a hook call
    // let in by the step) leaves its steps to the loop already running.
    template <class Take> void TakeSteps(Take take) {
        if (m_taking) {
            return;
        }
        m_taking = true;
        while (!m_events.empty() && m_events.front().state != State::Undecided) {
            const State state = m_events.front().state;
            m_events.pop_front();
            if (state != State::Passed) {
                take(state == State::Forward);
            }
        }
        m_taking = false;
    }

private:
    enum class State { Undecided, Passed, Forward, Backward };
    struct Entry {
        Event event;
        State state;
    };
    std::deque<Entry> m_events;
    Event m_next = 0;
    bool m_taking = false;
};
