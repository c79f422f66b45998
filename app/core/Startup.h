// Start-up and shutdown of the application as a fixed sequence of steps over
// the few system operations it needs.
#pragma once

#include "zoom/core/MagnificationGate.h"

class IStartupPlatform {
public:
    virtual ~IStartupPlatform() = default;

    struct MutexResult {
        bool gotHandle;      // false when the mutex could not be created at all
        bool alreadyExisted; // another instance of this log-on holds the name
    };
    // The single-instance mutex, named after the executable, owned initially.
    virtual MutexResult CreateInstanceMutex() = 0;
    virtual void ReleaseInstanceMutex() = 0;
    // Asks the instance that holds the mutex to show its settings sheet.
    virtual void ShowRunningInstance() = 0;

    virtual void InitCommonControls() = 0;
    virtual void InitOle() = 0;
    // Locates setting.ini; fileExisted tells whether it was there before.
    virtual void InitSettingFile(bool& fileExisted) = 0;

    // Binds Magnification.dll; false when it cannot be loaded.
    virtual bool LoadMagnification() = 0;
    // Calls the bound MagInitialize; false when the entry is missing or fails.
    virtual bool MagInitialize() = 0;
    virtual void FreeMagnification() = 0;

    // Runs the hidden main dialog until it ends. useMagnifier tells the zoom
    // window which way to render; firstStart, that setting.ini did not exist.
    virtual void RunMainDialog(bool useMagnifier, bool firstStart) = 0;
};

class StartupSequence {
public:
    StartupSequence(IStartupPlatform& platform, int osMajorVersion)
        : m_platform(platform), m_osMajorVersion(osMajorVersion) {}

    // Runs the whole resident life of the program. Always false: the main
    // dialog's modal loop is the only message loop, so there is no pump to run.
    bool InitInstance();
    void ExitInstance();

private:
    IStartupPlatform& m_platform;
    int m_osMajorVersion;
    bool m_mutexHandle = false;
    bool m_magnificationLoaded = false;
    bool m_magnifierUsable = false;
};
