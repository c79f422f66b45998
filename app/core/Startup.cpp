#include "app/core/Startup.h"

bool StartupSequence::InitInstance() {
    IStartupPlatform::MutexResult mutex = m_platform.CreateInstanceMutex();
    m_mutexHandle = mutex.gotHandle;
    // A second copy under the same name ends silently; the running one is
    // neither told nor activated.
    if (!mutex.gotHandle || mutex.alreadyExisted) {
        return false;
    }

    m_platform.InitCommonControls();
    m_platform.InitOle();
    m_platform.InitSettingFile();

    if (MagnificationGateOpen(m_osMajorVersion)) {
        m_magnificationLoaded = m_platform.LoadMagnification();
        // Without a working Magnification API the zoom still works by copying
        // the screen, so a missing or failing library only changes the path.
        m_magnifierUsable = m_magnificationLoaded && m_platform.MagInitialize();
    }

    m_platform.RunMainDialog(m_magnifierUsable);
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
