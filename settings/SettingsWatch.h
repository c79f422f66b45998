// Keeps the in-memory settings copy in line with setting.ini when the file is
// edited by hand: a thread waits for changes in the file's folder and has the
// copy refreshed on the thread that started the watch, where the store lives.
#pragma once

#include "fw/Handles.h"
#include "fw/Wnd.h"

#include <atomic>
#include <string>
#include <thread>

class SettingsCopy;

class SettingsWatch : public fw::CWnd {
public:
    explicit SettingsWatch(SettingsCopy& copy);
    ~SettingsWatch() override;

    // Watches the file at path; false when the watch could not start (the
    // copy then follows only the program's own writes).
    bool Start(const std::wstring& path);
    void Stop();

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Watch();
    // The file's write time and size, or zero when it cannot be read.
    ULONGLONG FileStamp() const;
    void OnFileChanged();

    SettingsCopy& m_copy;
    std::wstring m_path;
    fw::KernelHandleOwner m_stop;
    fw::HandleOwner<HANDLE, &FindCloseChangeNotification, fw::InvalidHandleValue> m_change;
    std::thread m_thread;
    // A refresh is posted and not made yet: further changes wait for it.
    std::atomic<bool> m_refreshPosted{false};
};
