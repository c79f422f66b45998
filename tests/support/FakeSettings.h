// The tests' ISettings: answers from a map (0 for keys it lacks, as the store
// does for unreadable keys), logs "Read(key)" and "Write(key=value)" and
// keeps what is written, unless the logic under test only reads settings.
#pragma once

#include "Calls.h"
#include "settings/core/ISettings.h"

#include <map>
#include <string>

class FakeSettings : public ISettings {
public:
    explicit FakeSettings(Calls& log) : m_log(log) {}

    std::map<std::wstring, int> values;
    bool readOnly = false;

    int ReadSettingInt(const wchar_t* key) override {
        m_log.push_back("Read(" + Narrow(key) + ")");
        auto it = values.find(key);
        return it == values.end() ? 0 : it->second;
    }
    bool WriteSettingInt(const wchar_t* key, int value) override {
        m_log.push_back("Write(" + Narrow(key) + "=" + std::to_string(value) + ")");
        if (readOnly) {
            ReportFakeFault("unexpected write of " + Narrow(key));
            return false;
        }
        values[key] = value;
        return true;
    }

private:
    Calls& m_log;
};
