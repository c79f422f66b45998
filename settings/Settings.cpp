#include "settings/Settings.h"

#include "fw/Handles.h"
#include "fw/WinApp.h"
#include "settings/core/ProfileText.h"
#include "settings/core/SettingFile.h"
#include "settings/StartupShortcut.h"

#include <shlobj.h>

namespace {

// The private-profile functions read at most this many characters, the
// terminator included.
constexpr DWORD kReadBufferLength = kMaxSettingTextLength + 1;

// The whole file; false when it cannot be opened.
bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    fw::FileOwner file(::CreateFileW(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    char chunk[16384];
    DWORD n = 0;
    while (::ReadFile(file.Get(), chunk, sizeof chunk, &n, nullptr) && n > 0) {
        bytes.append(chunk, n);
    }
    return true;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    fw::FileOwner file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

class AnsiCodePage : public IProfileCodePage {
public:
    std::wstring Decode(std::string_view bytes) const override {
        const int size = static_cast<int>(bytes.size());
        const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
        std::wstring text(static_cast<size_t>(n), L'\0');
        if (n > 0) {
            ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &text[0], n);
        }
        return text;
    }
    bool Encode(std::wstring_view text, std::string& bytes) const override {
        // UTF-8 as the ANSI code page takes neither the flag nor the question.
        const bool utf8 = ::GetACP() == CP_UTF8;
        const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
        BOOL usedDefault = FALSE;
        BOOL* askDefault = utf8 ? nullptr : &usedDefault;
        const int size = static_cast<int>(text.size());
        const int n = ::WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr,
                                            askDefault);
        bytes.assign(static_cast<size_t>(n), '\0');
        if (n > 0) {
            ::WideCharToMultiByte(CP_ACP, flags, text.data(), size, &bytes[0], n, nullptr,
                                  askDefault);
        }
        return (n > 0 || text.empty()) && !usedDefault;
    }
};

// Writes value, or takes the key out where it is null, so that every line
// Loupa does not own keeps its bytes.
bool WriteProfileEntry(const std::wstring& path, const wchar_t* section, const wchar_t* key,
                       const std::wstring* value) {
    if (path.empty()) {
        return false;
    }
    std::string bytes;
    if (ReadFileBytes(path, bytes)) {
        // The user's file stays as it is rather than lose what it holds; like
        // a read-only file it keeps reading as it reads now.
        if (!ProfileSurvivesRewrite(bytes)) {
            return false;
        }
        const AnsiCodePage codePage;
        if (!ProfileRewriteKeepsBytes(bytes, codePage)) {
            return EditProfileEntry(bytes, section, key, value, codePage) &&
                   WriteFileBytes(path, bytes);
        }
    }
    // A file that cannot be read is left to the profile functions, which then
    // fail or create it.
    return ::WritePrivateProfileStringW(section, key, value != nullptr ? value->c_str() : nullptr,
                                        path.c_str()) != FALSE;
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
    void SetProfilePath(const std::wstring& path) override {
        m_profileExisted = PathExists(path);
        SetSettingFilePath(path);
    }
    // The located file existed before anything was written to it.
    bool ProfileExisted() const { return m_profileExisted; }
    void ShowWarning(const std::wstring& text) override {
        fw::AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    }
    std::wstring LoadText(unsigned id) override { return fw::AfxLoadString(id); }

private:
    bool m_profileExisted = false;
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
    return WriteProfileEntry(m_path, section, key, &value);
}

bool PrivateProfile::RemoveProfileKey(const wchar_t* section, const wchar_t* key) {
    return WriteProfileEntry(m_path, section, key, nullptr);
}

void LoadSettingDefaults() {
    Store().LoadDefaults();
}

bool InitSettingFile(bool& fileExisted) {
    SystemFileSystem system;
    bool located = InitSettingFile(system, Store());
    fileExisted = system.ProfileExisted();
    return located;
}

void GetModuleDirectory(std::wstring& path) {
    path = DirectoryOf(fw::ModuleFilePath(fw::AfxGetInstanceHandle()));
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
