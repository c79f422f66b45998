#include "input/core/WheelChord.h"

#include "settings/core/ISettings.h"
#include "settings/core/SettingKeys.h"

namespace {

bool IsOn(int value) {
    return (value & 1) != 0;
}

} // namespace

WheelChordSettings ReadWheelChordSettings(ISettings& settings) {
    WheelChordSettings chord;
    chord.ctrl = settings.ReadSettingInt(kMouseZoomCtrlKey);
    chord.alt = settings.ReadSettingInt(kMouseZoomAltKey);
    chord.shift = settings.ReadSettingInt(kMouseZoomShiftKey);
    chord.win = settings.ReadSettingInt(kMouseZoomWinKey);
    return chord;
}

bool IsWheelChordEmpty(const WheelChordSettings& chord) {
    return !IsOn(chord.ctrl) && !IsOn(chord.alt) && !IsOn(chord.shift) && !IsOn(chord.win);
}

WheelDecision DecideWheelZoom(const WheelChordSettings& chord, const HeldModifiers& held,
                              int wheelDelta, bool zoomShown) {
    WheelDecision decision;
    if (IsWheelChordEmpty(chord)) {
        return decision;
    }
    const bool winHeld = held.lwin || held.rwin;
    const bool forward = wheelDelta > 0;
    decision.zoom = held.ctrl == IsOn(chord.ctrl) && held.alt == IsOn(chord.alt) &&
                    held.shift == IsOn(chord.shift) && winHeld == IsOn(chord.win) &&
                    (forward || zoomShown);
    decision.forward = decision.zoom && forward;
    return decision;
}

int WheelDeltaFromMouseData(uint32_t mouseData) {
    const int high = static_cast<int>(mouseData >> 16);
    return high >= 0x8000 ? high - 0x10000 : high;
}

int WheelDeltaSum::Add(int delta, std::uint32_t timeMs) {
    const bool forward = delta > 0;
    // Unsigned difference: right across the wrap of the time stamp.
    if ((m_sum > 0) != forward || timeMs - m_lastMs > kPauseMs) {
        m_sum = 0;
    }
    m_lastMs = timeMs;
    m_sum += delta;
    const int steps = (forward ? m_sum : -m_sum) / kNotch;
    m_sum -= (forward ? steps : -steps) * kNotch;
    return steps;
}

WheelEventOrder::Event WheelEventOrder::Arrive() {
    m_events.push_back(Entry{m_next, State::Undecided, 0});
    return m_next++;
}

bool WheelEventOrder::EarlierPending(Event event) const {
    for (const Entry& entry : m_events) {
        if (entry.event >= event) {
            break;
        }
        if (entry.state == State::Undecided ||
            (entry.state != State::Passed && entry.steps > 0)) {
            return true;
        }
    }
    return false;
}

void WheelEventOrder::Decide(Event event, std::optional<bool> forwardStep, int steps) {
    for (Entry& entry : m_events) {
        if (entry.event == event) {
            entry.steps = steps;
            entry.state = !forwardStep   ? State::Passed
                          : *forwardStep ? State::Forward
                                         : State::Backward;
            return;
        }
    }
}
