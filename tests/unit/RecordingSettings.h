// An ISettings substitute for logic that only reads settings: answers from a
// map (0 for keys it lacks, as the store does for unreadable keys) and
// records the order of the reads.
#pragma once

#include "settings/core/SettingsStore.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

class RecordingSettings : public ISettings {
public:
    std::map<std::wstring, int> values;
    std::vector<std::wstring> reads;

    int ReadSettingInt(const wchar_t* key) override {
        reads.push_back(key);
        auto it = values.find(key);
        return it == values.end() ? 0 : it->second;
    }
    bool WriteSettingInt(const wchar_t* key, int) override {
        ADD_FAILURE() << "unexpected write of " << testing::PrintToString(std::wstring(key));
        return false;
    }
};
