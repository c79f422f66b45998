#include "ui/core/HotKeyModifiers.h"

namespace {

struct ModifierPair {
    uint16_t flag;
    int mod;
};

constexpr ModifierPair kPairs[] = {
    {win32::kHotkeyfShift, win32::kModShift},
    {win32::kHotkeyfControl, win32::kModControl},
    {win32::kHotkeyfAlt, win32::kModAlt},
    {win32::kHotkeyfWin, win32::kModWin},
};

} // namespace

uint16_t ModToHotKeyFlags(int storedMask) {
    uint16_t flags = 0;
    for (const ModifierPair& pair : kPairs) {
        if ((storedMask & pair.mod) != 0) {
            flags = static_cast<uint16_t>(flags | pair.flag);
        }
    }
    return flags;
}

int HotKeyFlagsToMod(uint16_t flags) {
    int mask = 0;
    for (const ModifierPair& pair : kPairs) {
        if ((flags & pair.flag) != 0) {
            mask |= pair.mod;
        }
    }
    return mask;
}

std::optional<int> ZoomOutSliderCorrection(int zoomInPosition, int zoomOutPosition) {
    if (zoomInPosition < zoomOutPosition) {
        return zoomInPosition;
    }
    return std::nullopt;
}
