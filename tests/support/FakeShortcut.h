// The tests' IStartupShortcut: logs "shortcut on" or "shortcut off", fails
// when told to, and knows whether the shortcut would exist.
#pragma once

#include "Calls.h"
#include "settings/core/SettingsStore.h"

#include <functional>

class FakeShortcut : public IStartupShortcut {
public:
    explicit FakeShortcut(Calls& log) : m_log(log) {}

    bool UpdateStartupShortcut(bool enable) override {
        m_log.push_back(enable ? "shortcut on" : "shortcut off");
        if (succeeds) {
            exists = enable;
        }
        if (observe) {
            observe(enable, succeeds);
        }
        return succeeds;
    }

    bool succeeds = true;
    bool exists = false;
    // For a caller that keeps its own log of profile and shortcut together.
    std::function<void(bool enable, bool succeeded)> observe;

private:
    Calls& m_log;
};
