#include "settings/core/SettingFile.h"

#include "settings/core/SettingKeys.h"

#include "resource.h"

std::wstring AppFolderFailureText(const std::wstring& lead, int32_t code) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    uint32_t bits = static_cast<uint32_t>(code);
    std::wstring hex;
    do {
        hex.insert(hex.begin(), kDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    return lead + hex;
}

std::wstring DirectoryOf(const std::wstring& filePath) {
    size_t slash = filePath.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return std::wstring();
    }
    return filePath.substr(0, slash + 1);
}

bool InitSettingFile(ISettingFileSystem& system, ISettings& settings) {
    std::wstring path = system.ModuleDirectory() + L"setting.ini";
    if (!system.PathExists(path)) {
        std::wstring folder;
        int32_t code = system.RoamingAppDataFolder(folder);
        if (code < 0) {
            // The private-profile functions would take a bare default name
            // for a file in the Windows folder, which users cannot write.
            system.SetProfilePath(std::wstring());
            system.ShowWarning(AppFolderFailureText(system.LoadText(IDS_APP_FOLDER_FAILED), code));
            return false;
        }
        folder += L"\\Loupa";
        system.CreateFolder(folder);
        path = folder + L"\\setting.ini";
    }
    system.SetProfilePath(path);
    settings.ReadSettingInt(kAutoStartUpKey);
    return true;
}
