// Whether a wheel turn is a zoom step: the chord of modifier keys configured
// in the settings against the keys held at that moment.
#pragma once

#include <cstdint>

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
