// The start-up shortcut: Loupa.lnk in the user's Startup folder, pointing at
// the running executable. Its presence is the only state; every call looks at
// the file system again. COM must be initialised on the calling thread.
#pragma once

#include "settings/core/SettingsStore.h"

#include <windows.h>

#include <string>

// Makes the shortcut exist or not exist. An existing shortcut is left as it
// is, whatever existing file it points to; one whose target no longer exists
// is rewritten to the running executable. False when the Startup folder
// cannot be obtained (then no file is touched) or the shortcut cannot be
// created; a failed deletion is not reported.
bool UpdateStartupShortcut(bool enable);

// Saves a shell link at linkPath to the absolute form of targetPath, with the
// description "Loupa". The result of the last step performed.
HRESULT CreateShortcut(const wchar_t* linkPath, const wchar_t* targetPath);

// The shortcut's path; false when the Startup folder cannot be obtained.
bool GetStartupShortcutPath(std::wstring& path);

// The shortcut as the settings store sees it.
class StartupShortcut : public IStartupShortcut {
public:
    bool UpdateStartupShortcut(bool enable) override;
};
