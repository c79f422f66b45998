#include "settings/Settings.h"

#include "fw/Handles.h"
#include "fw/WinApp.h"
#include "resource.h"
#include "settings/core/ProfileText.h"
#include "settings/StartupShortcut.h"

#include <shlobj.h>

namespace {

// The private-profile functions read at most this many characters, the
// terminator included.
constexpr DWORD kReadBufferLength = kMaxSettingTextLength + 1;

// False when the file exists with bytes that a write through the profile
// functions could destroy (see ProfileSurvivesRewrite). A file that cannot be
// read is left to the write, which then fails or creates it.
bool RewriteKeepsFile(const std::wstring& path) {
    std::string bytes;
    {
        fw::FileOwner file(::CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return true;
        }
        char chunk[16384];
        DWORD n = 0;
        while (::ReadFile(file.Get(), chunk, sizeof chunk, &n, nullptr) && n > 0) {
            bytes.append(chunk, n);
        }
    }
    return ProfileSurvivesRewrite(bytes);
}

std::wstring& PathWithoutApp() {
    static std::wstring path;
    return path;
}

// The profile file of the moment: the application object may set it after
// the store was built.
class AppProfile : public ISettingProfile {
public:
    std::wstring ReadProfileText(const wchar_t* section, const wchar_t* key,
                                 const wchar_t* fallback) override {
        return PrivateProfile(SettingFilePath()).ReadProfileText(section, key, fallback);
    }
    bool WriteProfileText(const wchar_t* section, const wchar_t* key,
                          const std::wstring& value) override {
        return PrivateProfile(SettingFilePath()).WriteProfileText(section, key, value);
    }
    bool RemoveProfileKey(const wchar_t* section, const wchar_t* key) override {
        return PrivateProfile(SettingFilePath()).RemoveProfileKey(section, key);
    }
};

SettingsStore& Store() {
    static AppProfile profile;
    static StartupShortcut shortcut;
    static SettingsStore store(profile, shortcut);
    return store;
}

class SystemFileSystem : public ISettingFileSystem {
public:
    std::wstring ModuleDirectory() override {
        std::wstring directory;
        GetModuleDirectory(directory);
        return directory;
    }
    bool PathExists(const std::wstring& path) override {
        return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    int32_t RoamingAppDataFolder(std::wstring& folder) override {
        wchar_t buffer[MAX_PATH] = {};
        HRESULT hr =
            ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer);
        if (SUCCEEDED(hr)) {
            folder = buffer;
        }
        return hr;
    }
    void CreateFolder(const std::wstring& path) override {
        ::SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    }
    void SetProfilePath(const std::wstring& path) override { SetSettingFilePath(path); }
    void ShowNoAppFolder(const std::wstring& code) override {
        std::wstring text = fw::AfxLoadString(IDS_NO_SETTINGS_FOLDER) + L" (" + code + L")";
        fw::AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
};

} // namespace

PrivateProfile::PrivateProfile(std::wstring path) : m_path(std::move(path)) {}

std::wstring PrivateProfile::ReadProfileText(const wchar_t* section, const wchar_t* key,
                                             const wchar_t* fallback) {
    if (m_path.empty()) {
        return fallback;
    }
    std::wstring text(kReadBufferLength, L'\0');
    DWORD n = ::GetPrivateProfileStringW(section, key, fallback, &text[0], kReadBufferLength,
                                         m_path.c_str());
    text.resize(n < kReadBufferLength ? n : kReadBufferLength - 1);
    return text;
}

bool PrivateProfile::WriteProfileText(const wchar_t* section, const wchar_t* key,
                                      const std::wstring& value) {
    // The user's file stays as it is rather than lose what it holds; like a
    // read-only file it keeps reading as it reads now.
    if (m_path.empty() || !RewriteKeepsFile(m_path)) {
        return false;
    }
    return ::WritePrivateProfileStringW(section, key, value.c_str(), m_path.c_str()) != FALSE;
}

bool PrivateProfile::RemoveProfileKey(const wchar_t* section, const wchar_t* key) {
    if (m_path.empty() || !RewriteKeepsFile(m_path)) {
        return false;
    }
    return ::WritePrivateProfileStringW(section, key, nullptr, m_path.c_str()) != FALSE;
}

void LoadSettingDefaults() {
    Store().LoadDefaults();
}

bool InitSettingFile() {
    SystemFileSystem system;
    return InitSettingFile(system, Store());
}

void GetModuleDirectory(std::wstring& path) {
    path = DirectoryOf(GetModuleFilePath());
}

ISettings& Settings() {
    return Store();
}

std::wstring SettingFilePath() {
    if (fw::CWinApp* app = fw::AfxGetApp()) {
        return app->ProfileName();
    }
    return PathWithoutApp();
}

void SetSettingFilePath(const std::wstring& path) {
    if (fw::CWinApp* app = fw::AfxGetApp()) {
        app->SetProfileName(path);
    } else {
        PathWithoutApp() = path;
    }
}
