#include "ui/HotKeyNotice.h"

#include "fw/WinApp.h"
#include "resource.h"
#include "settings/core/ISettings.h"
#include "settings/core/SettingKeys.h"
#include "settings/core/ZoomWindowMessages.h"
#include "ui/HotKeyExCtrl.h"
#include "ui/core/HotKeyModifiers.h"
#include "ui/core/HotKeyText.h"

#include <algorithm>

namespace {

struct HotKeyFunction {
    int id;
    UINT name;
    const wchar_t* keySetting;
    const wchar_t* modSetting;
};

constexpr HotKeyFunction kFunctions[] = {
    {HOTKEY_ZOOMIN, IDS_HOTKEY_FUNCTION_ZOOMIN, kHotKeyZoomInKey, kHotKeyModZoomInKey},
    {HOTKEY_ZOOMOUT, IDS_HOTKEY_FUNCTION_ZOOMOUT, kHotKeyZoomOutKey, kHotKeyModZoomOutKey},
    {HOTKEY_ZOOMCANCEL, IDS_HOTKEY_FUNCTION_ZOOMCANCEL, kHotKeyZoomCancelKey,
     kHotKeyModZoomCancelKey},
};

std::wstring KeysOf(ISettings& settings, const HotKeyFunction& function) {
    const WORD key = HotKeyLowWord(settings.ReadSettingInt(function.keySetting));
    const WORD flags = ModToHotKeyFlags(settings.ReadSettingInt(function.modSetting));
    return CHotKeyExCtrl::GetHotKeyName(key, flags);
}

} // namespace

std::wstring StoredHotKeyText(ISettings& settings, int id) {
    for (const HotKeyFunction& function : kFunctions) {
        if (function.id == id) {
            return KeysOf(settings, function);
        }
    }
    return std::wstring();
}

std::vector<std::wstring> RefusedHotKeyLines(ISettings& settings, const std::vector<int>& ids) {
    const std::wstring format = fw::AfxLoadString(IDS_HOTKEY_REFUSED_LINE);
    std::vector<std::wstring> lines;
    for (const HotKeyFunction& function : kFunctions) {
        if (std::find(ids.begin(), ids.end(), function.id) != ids.end()) {
            lines.push_back(
                FormatText(format, {fw::AfxLoadString(function.name), KeysOf(settings, function)}));
        }
    }
    return lines;
}
