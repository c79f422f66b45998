#include "app/ZoomInput.h"

#include "input/HotKeys.h"
#include "input/InputHooks.h"

void ZoomInput::InstallHooks(HWND target) {
    InstallZoomHooks(target, m_settings);
}

void ZoomInput::RemoveHooks() {
    RemoveZoomHooks();
}

std::vector<int> ZoomInput::RegisterHotKeys(HWND hwnd, bool withCancel) {
    return RegisterZoomHotKeys(hwnd, m_settings, withCancel);
}

void ZoomInput::UnregisterHotKeys(HWND hwnd) {
    UnregisterZoomHotKeys(hwnd);
}

void ZoomInput::SetCancelHotKey(HWND hwnd, bool registered) {
    if (registered) {
        RegisterCancelHotKey(hwnd, m_settings);
    } else {
        UnregisterCancelHotKey(hwnd);
    }
}

void ZoomInput::SetZoomShown(bool shown) {
    SetZoomShownForHooks(shown);
}

void ZoomInput::WheelStepTaken() {
    ZoomWheelStepTaken();
}
