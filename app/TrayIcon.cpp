#include "app/TrayIcon.h"

#include "LoupaVersion.h"
#include "fw/Dpi.h"
#include "fw/WinApp.h"
#include "resource.h"

CTrayIcon::CTrayIcon(const fw::CWnd& owner, HICON fallback)
    : m_owner(owner), m_fallback(fallback) {}

bool CTrayIcon::Add() {
    NOTIFYICONDATAW nid = FullData();
    return ::Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
}

bool CTrayIcon::Modify() {
    NOTIFYICONDATAW nid = FullData();
    return ::Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

void CTrayIcon::Delete() {
    NOTIFYICONDATAW nid = Identity();
    ::Shell_NotifyIconW(NIM_DELETE, &nid);
}

void CTrayIcon::ShowBalloon(const std::wstring& text, bool warning) {
    NOTIFYICONDATAW nid = Identity();
    nid.uFlags = NIF_INFO;
    nid.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
    lstrcpynW(nid.szInfoTitle, fw::AfxGetApp()->AppName().c_str(), ARRAYSIZE(nid.szInfoTitle));
    lstrcpynW(nid.szInfo, text.c_str(), ARRAYSIZE(nid.szInfo));
    ::Shell_NotifyIconW(NIM_MODIFY, &nid);
}

NOTIFYICONDATAW CTrayIcon::Identity() const {
    NOTIFYICONDATAW nid{};
    nid.cbSize = NOTIFYICONDATAW_V3_SIZE;
    nid.hWnd = m_owner.m_hWnd;
    nid.uID = 0;
    return nid;
}

NOTIFYICONDATAW CTrayIcon::FullData() {
    NOTIFYICONDATAW nid = Identity();
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_TRAYNOTIFY;
    nid.hIcon = SizedImage();
    const std::wstring tip = fw::AfxLoadString(IDS_TRAY_TIP) + L"" LOUPA_VERSION_TEXT;
    lstrcpynW(nid.szTip, tip.c_str(), ARRAYSIZE(nid.szTip));
    return nid;
}

HICON CTrayIcon::SizedImage() {
    // The shell would stretch an icon of another size.
    const int size = fw::SystemMetricForDpi(SM_CXSMICON, fw::DpiForPrimaryMonitor());
    if (!m_image || size != m_imageSize) {
        m_image.Reset(static_cast<HICON>(::LoadImageW(fw::AfxGetInstanceHandle(),
                                                      MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                      size, size, 0)));
        m_imageSize = size;
    }
    return m_image ? m_image.Get() : m_fallback;
}
