#pragma once

#include "app/core/Startup.h"
#include "fw/Handles.h"
#include "fw/WinApp.h"

class CLoupaApp : public fw::CWinApp, private IStartupPlatform {
public:
    CLoupaApp();

    BOOL InitInstance() override;
    int ExitInstance() override;

    // Exactly as CreateMutexW returned it; null only when creation failed.
    // Released at exit; the handle itself is closed with the application
    // object, as the process ends.
    fw::KernelHandleOwner m_hMutex;

private:
    MutexResult CreateInstanceMutex() override;
    void ReleaseInstanceMutex() override;
    void ShowRunningInstance() override;
    void InitCommonControls() override;
    void InitOle() override;
    void InitSettingFile(bool& fileExisted) override;
    bool LoadMagnification() override;
    bool MagInitialize() override;
    void FreeMagnification() override;
    void RunMainDialog(bool useMagnifier, bool firstStart) override;

    StartupSequence m_startup;
};
