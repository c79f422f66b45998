// The process-wide settings store over setting.ini, as the program uses it.
// Main thread only.
#pragma once

#include "settings/core/ISettings.h"
#include "settings/core/SettingsStore.h"

#include <string>

// Enters the known keys and their defaults; until then every key is unknown.
// Called once during static initialisation.
void LoadSettingDefaults();

// Locates setting.ini and brings the start-up shortcut into line with
// AutoStartUp. Call once at start-up, after COM is initialised on this thread
// and before any other read or write. False when no file path was set.
// fileExisted: the file was there before this call (which writes it).
bool InitSettingFile(bool& fileExisted);

// The running executable's folder, ending in "\".
void GetModuleDirectory(std::wstring& path);

// The process-wide store. The application object hands it to the objects that
// read settings; nothing else reaches for it.
ISettings& Settings();

// The file all reads and writes use: the application object's profile file;
// without an application object, the path last set here (none at first: reads
// give defaults, writes fail).
std::wstring SettingFilePath();
void SetSettingFilePath(const std::wstring& path);

// A private-profile (INI) file at a fixed path, through the system's
// private-profile functions.
class PrivateProfile : public ISettingProfile {
public:
    explicit PrivateProfile(std::wstring path);

    std::wstring ReadProfileText(const wchar_t* section, const wchar_t* key,
                                 const wchar_t* fallback) override;
    bool WriteProfileText(const wchar_t* section, const wchar_t* key,
                          const std::wstring& value) override;
    bool RemoveProfileKey(const wchar_t* section, const wchar_t* key) override;

private:
    std::wstring m_path;
};
