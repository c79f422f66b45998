#include "app/core/Startup.h"

bool StartupSequence::InitInstance() {
    IStartupPlatform::MutexResult mutex = m_platform.CreateInstanceMutex();
    m_mutexHandle = mutex.gotHandle;
    // One copy per log-on. A second start shows the running copy, which may
    // have no icon in sight; ending without a word would look as if the
    // program never started.
    if (!mutex.gotHandle) {
        return false;
    }
    if (mutex.alreadyExisted) {
        m_platform.ShowRunningInstance();
        return false;
    }

    m_platform.InitCommonControls();
    m_platform.InitOle();
    bool settingFileExisted = true;
    m_platform.InitSettingFile(settingFileExisted);

    if (MagnificationGateOpen(m_osMajorVersion)) {
        m_magnificationLoaded = m_platform.LoadMagnification();
        // Without a working Magnification API the zoom still works by copying
        // the screen, so a missing or failing library only changes the path.
        m_magnifierUsable = m_magnificationLoaded && m_platform.MagInitialize();
    }

    m_platform.RunMainDialog(m_magnifierUsable, !settingFileExisted);
    return false;
}

void StartupSequence::ExitInstance() {
    if (m_mutexHandle) {
        m_platform.ReleaseInstanceMutex();
    }
    if (MagnificationGateOpen(m_osMajorVersion) && m_magnificationLoaded) {
        m_platform.FreeMagnification();
    }
}
