// The zoom window's input bound to the input code: the low-level hooks and the
// hot keys, all reading the settings given here (the hooks only keys that it
// answers from memory).
#pragma once

#include "zoom/ZoomWnd.h"

class ISettings;

class ZoomInput : public IZoomInput {
public:
    explicit ZoomInput(ISettings& settings) : m_settings(settings) {}

    void InstallHooks(HWND target) override;
    void RemoveHooks() override;
    std::vector<int> RegisterHotKeys(HWND hwnd, bool withCancel) override;
    void UnregisterHotKeys(HWND hwnd) override;
    void SetCancelHotKey(HWND hwnd, bool registered) override;
    void SetZoomShown(bool shown) override;
    void WheelStepTaken() override;

private:
    ISettings& m_settings;
};
