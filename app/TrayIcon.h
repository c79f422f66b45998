// The program's icon in the notification area: every call to the shell about
// it, and its image at the size the area shows.
#pragma once

#include "fw/Handles.h"
#include "fw/Wnd.h"

#include <shellapi.h>

#include <string>

// Callback message of the notification-area icon.
constexpr UINT WM_TRAYNOTIFY = WM_USER + 1;

class CTrayIcon {
public:
    // owner: the window the icon belongs to and whose procedure receives
    // WM_TRAYNOTIFY; its handle is read at each call. fallback: shown when
    // the sized image cannot be loaded.
    CTrayIcon(const fw::CWnd& owner, HICON fallback);

    // Shell_NotifyIcon with the full icon data; true on success, else
    // GetLastError gives the reason.
    bool Add();
    bool Modify();
    // Removes the icon; a failure is of no consequence.
    void Delete();
    // The application's name over text, as a warning or an information.
    void ShowBalloon(const std::wstring& text, bool warning);

    // The sized image, or null before the first Add or Modify and when it
    // could not be loaded.
    HICON Image() const { return m_image.Get(); }

private:
    // The data every call shares: owner, id, and the shell 6.0 layout, which
    // every supported shell accepts.
    NOTIFYICONDATAW Identity() const;
    NOTIFYICONDATAW FullData();
    HICON SizedImage();

    const fw::CWnd& m_owner;
    const HICON m_fallback;
    // At the small-icon size of the DPI the area is shown at; made anew
    // when that size has changed.
    fw::IconOwner m_image;
    int m_imageSize = 0;
};
