// What the rest of the program needs of the settings store. Platform-free, so
// logic that reads settings can be tested with a substitute.
#pragma once

class ISettings {
public:
    virtual ~ISettings() = default;
    // The key's integer value; 0 when the key cannot be read.
    virtual int ReadSettingInt(const wchar_t* key) = 0;
    // True when the value was stored.
    virtual bool WriteSettingInt(const wchar_t* key, int value) = 0;
    // Takes up what the file holds now, where values are kept in memory.
    virtual void Reload() {}
};
