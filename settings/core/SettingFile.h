// Where setting.ini lives: beside the executable, or in the roaming
// application-data folder.
#pragma once

#include "settings/core/ISettings.h"

#include <cstdint>
#include <string>

// What locating setting.ini needs of the system.
class ISettingFileSystem {
public:
    virtual ~ISettingFileSystem() = default;
    // The running executable's folder, ending in "\".
    virtual std::wstring ModuleDirectory() = 0;
    virtual bool PathExists(const std::wstring& path) = 0;
    // The user's roaming application-data folder; the result is an HRESULT,
    // negative on failure.
    virtual int32_t RoamingAppDataFolder(std::wstring& folder) = 0;
    // Creates the folder and any missing parents; the outcome shows later,
    // when the file is written.
    virtual void CreateFolder(const std::wstring& path) = 0;
    // Makes path the file that all later reads and writes use; an empty path
    // is no file: reads give defaults and writes fail.
    virtual void SetProfilePath(const std::wstring& path) = 0;
    virtual void ShowWarning(const std::wstring& text) = 0;
    // The string-table text of id, in the program's language.
    virtual std::wstring LoadText(unsigned id) = 0;
};

// Uses setting.ini beside the executable when one exists there, otherwise
// the one in the folder Loupa of the roaming application-data folder, then
// brings the start-up shortcut into line with AutoStartUp (writing its
// default into a file that lacks it). Without the application-data folder
// there is no file at all, not even a default one of the system's: false,
// after telling the user.
bool InitSettingFile(ISettingFileSystem& system, ISettings& settings);

// The warning shown when the application-data folder cannot be obtained:
// lead, then the code in hexadecimal.
std::wstring AppFolderFailureText(const std::wstring& lead, int32_t code);

// The folder part of a file path, up to and including its last "\".
std::wstring DirectoryOf(const std::wstring& filePath);
