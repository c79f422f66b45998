// File helpers for the Win32 tests: a scratch folder, raw file contents, and
// a backup that puts a user's file back whatever the test did to it.
#pragma once

#include <windows.h>

#include <string>

namespace wintest {

inline std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char chunk[4096];
    DWORD n = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0) {
        bytes.append(chunk, n);
    }
    ::CloseHandle(file);
    return bytes;
}

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

inline bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline void RemoveFile(const std::wstring& path) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
}

// A fresh folder under the temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        for (unsigned i = 0; m_path.empty(); ++i) {
            std::wstring candidate = std::wstring(temp) + L"loupa-test-" +
                                     std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                     std::to_wstring(i);
            if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
                m_path = candidate;
            }
        }
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((m_path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    RemoveFile(m_path + L"\\" + found.cFileName);
                }
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

// Retries an operation that another process may briefly block (Wine's menu
// builder, for one, reads every link in the Start Menu at session start).
template <typename Operation> bool Retry(Operation operation) {
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    while (!operation()) {
        if (::GetTickCount64() > deadline) {
            return false;
        }
        ::Sleep(20);
    }
    return true;
}

// Moves a user's file aside for the test and puts it back afterwards,
// removing whatever the test left at its place. A file it could not move is
// never touched.
class FileBackup {
public:
    explicit FileBackup(std::wstring path)
        : m_path(std::move(path)), m_aside(m_path + L".loupa-test-backup") {
        // Left by a run that did not finish: the user's file.
        if (Exists(m_aside) && !Move(m_aside, m_path)) {
            return;
        }
        if (!Exists(m_path)) {
            m_ready = true;
        } else if (Move(m_path, m_aside)) {
            m_ready = true;
            m_moved = true;
        }
    }
    ~FileBackup() {
        if (!m_ready) {
            return;
        }
        Retry([&] { return !Exists(m_path) || ::DeleteFileW(m_path.c_str()); });
        if (m_moved) {
            Move(m_aside, m_path);
        }
    }
    FileBackup(const FileBackup&) = delete;
    FileBackup& operator=(const FileBackup&) = delete;

    // False when the user's file could not be moved aside.
    bool Ready() const { return m_ready; }

private:
    static bool Move(const std::wstring& from, const std::wstring& to) {
        return Retry([&] {
            return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
        });
    }

    std::wstring m_path;
    std::wstring m_aside;
    bool m_ready = false;
    bool m_moved = false;
};

} // namespace wintest
