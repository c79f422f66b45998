#include "settings/SettingsWatch.h"

#include "settings/core/SettingsCopy.h"
#include "settings/core/SettingFile.h"

namespace {
constexpr UINT WM_SETTINGFILECHANGED = WM_APP + 1;
// Where folder notifications are missing, the file's stamp is looked at this
// often instead: an edit by hand takes effect within a second.
constexpr DWORD kPollMs = 1000;
} // namespace

SettingsWatch::SettingsWatch(SettingsCopy& copy) : m_copy(copy) {}

SettingsWatch::~SettingsWatch() {
    Stop();
}

BOOL SettingsWatch::PreCreateWindow(CREATESTRUCTW& cs) {
    // Only a receiver of the watch's notes: a message-only window.
    cs.hwndParent = HWND_MESSAGE;
    return TRUE;
}

bool SettingsWatch::Start(const std::wstring& path) {
    if (m_thread.joinable() || path.empty()) {
        return false;
    }
    m_path = path;
    if (!CreateEx(0, nullptr, nullptr, 0, RECT{}, nullptr, 0)) {
        return false;
    }
    m_stop.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // Every change of a name or a write in the folder; the file's stamp then
    // tells whether it was this file.
    m_change.Reset(::FindFirstChangeNotificationW(
        DirectoryOf(path).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE));
    m_thread = std::thread(&SettingsWatch::Watch, this);
    return true;
}

void SettingsWatch::Stop() {
    if (m_thread.joinable()) {
        ::SetEvent(m_stop.Get());
        m_thread.join();
    }
    m_change.Reset();
    DestroyWindow();
}

ULONGLONG SettingsWatch::FileStamp() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(m_path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    const ULONGLONG written =
        (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return written ^ (ULONGLONG(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
}

void SettingsWatch::Watch() {
    ULONGLONG stamp = FileStamp();
    const bool notified = bool(m_change);
    HANDLE handles[2] = {m_stop.Get(), m_change.Get()};
    for (;;) {
        const DWORD woke = ::WaitForMultipleObjects(notified ? 2 : 1, handles, FALSE,
                                                    notified ? INFINITE : kPollMs);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) {
            return;
        }
        if (notified) {
            ::FindNextChangeNotification(m_change.Get());
        }
        const ULONGLONG now = FileStamp();
        // A file taken away is no edit to take up: reading it now would
        // write the defaults back behind the user's back.
        if (now == 0) {
            stamp = now;
        } else if (now != stamp && !m_refreshPosted.exchange(true)) {
            stamp = now;
            if (!PostMessage(WM_SETTINGFILECHANGED)) {
                m_refreshPosted = false;
            }
        }
    }
}

LRESULT SettingsWatch::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETTINGFILECHANGED: OnFileChanged(); return 0;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}

void SettingsWatch::OnFileChanged() {
    // Cleared first: an edit made while the copy is read is seen next time.
    m_refreshPosted = false;
    m_copy.Reload();
}
