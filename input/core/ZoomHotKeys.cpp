#include "input/core/ZoomHotKeys.h"

#include "settings/core/ISettings.h"
#include "settings/core/SettingKeys.h"

namespace {

HotKeyRegistration ReadOne(ISettings& settings, int id, const wchar_t* keySetting,
                           const wchar_t* modifierSetting) {
    HotKeyRegistration registration;
    registration.id = id;
    registration.key = HotKeyLowWord(settings.ReadSettingInt(keySetting));
    registration.modifiers = static_cast<uint16_t>(
        HotKeyLowWord(settings.ReadSettingInt(modifierSetting)) | win32::kModNoRepeat);
    return registration;
}

} // namespace

std::array<HotKeyRegistration, 3> ReadZoomHotKeys(ISettings& settings) {
    // Separate statements: the reads must happen in this order.
    const HotKeyRegistration zoomIn =
        ReadOne(settings, HOTKEY_ZOOMIN, kHotKeyZoomInKey, kHotKeyModZoomInKey);
    const HotKeyRegistration zoomOut =
        ReadOne(settings, HOTKEY_ZOOMOUT, kHotKeyZoomOutKey, kHotKeyModZoomOutKey);
    const HotKeyRegistration cancel = ReadCancelHotKey(settings);
    return {zoomIn, zoomOut, cancel};
}

HotKeyRegistration ReadCancelHotKey(ISettings& settings) {
    return ReadOne(settings, HOTKEY_ZOOMCANCEL, kHotKeyZoomCancelKey, kHotKeyModZoomCancelKey);
}
