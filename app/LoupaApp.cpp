#include "app/LoupaApp.h"

#include "app/LoupaDlg.h"
#include "app/ZoomInput.h"
#include "fw/Trace.h"
#include "settings/Settings.h"
#include "settings/SettingsWatch.h"
#include "settings/core/SettingsCopy.h"
#include "zoom/Magnification.h"

#include <commctrl.h>

#include <clocale>

// Static initialisation runs in this order: the version gate, the
// application object, the settings defaults.
static const bool s_versionGateReady = (g_osMajorVersion = QueryOsMajorVersion(), true);

CLoupaApp theApp;

static const bool s_settingDefaultsReady = (LoadSettingDefaults(), true);

CLoupaApp::CLoupaApp() : m_startup(*this, g_osMajorVersion) {
    std::setlocale(LC_ALL, "");
}

BOOL CLoupaApp::InitInstance() {
    return m_startup.InitInstance();
}

int CLoupaApp::ExitInstance() {
    m_startup.ExitInstance();
    return CWinApp::ExitInstance();
}

IStartupPlatform::MutexResult CLoupaApp::CreateInstanceMutex() {
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, AppName().c_str());
    bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
    m_hMutex.Reset(mutex);
    return {bool(m_hMutex), existed};
}

void CLoupaApp::ReleaseInstanceMutex() {
    ::ReleaseMutex(m_hMutex.Get());
}

void CLoupaApp::InitCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
}

void CLoupaApp::InitOle() {
    AfxOleInit();
}

void CLoupaApp::ShowRunningInstance() {
    CLoupaDlg::ShowRunningInstance();
}

void CLoupaApp::InitSettingFile(bool& fileExisted) {
    if (!::InitSettingFile(fileExisted)) {
        fw::Trace(L"InitSettingFile", ::GetLastError());
    }
}

bool CLoupaApp::LoadMagnification() {
    return ::LoadMagnification() != FALSE;
}

bool CLoupaApp::MagInitialize() {
    return g_mag.MagInitialize != nullptr && g_mag.MagInitialize() != FALSE;
}

void CLoupaApp::FreeMagnification() {
    g_hMagnification.Reset();
}

void CLoupaApp::RunMainDialog(bool useMagnifier, bool firstStart) {
    // The hooks and the zoom tick read their settings from memory; an edit
    // of the file by hand reaches the copy through the watch.
    SettingsCopy settings(Settings());
    settings.Reload();
    SettingsWatch watch(settings);
    watch.Start(SettingFilePath());
    ZoomInput input(settings);
    CLoupaDlg dlg(settings, input, useMagnifier, firstStart);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
}
