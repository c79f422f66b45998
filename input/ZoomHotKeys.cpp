#include "input/ZoomHotKeys.h"

#include "settings/ISettings.h"

uint16_t HotKeyLowWord(int settingValue) {
    return static_cast<uint16_t>(static_cast<unsigned>(settingValue) & 0xFFFFu);
}

namespace {

HotKeyRegistration ReadOne(ISettings& settings, int id, const wchar_t* keySetting,
                           const wchar_t* modifierSetting) {
    HotKeyRegistration registration;
    registration.id = id;
    registration.key = HotKeyLowWord(settings.ReadSettingInt(keySetting));
    registration.modifiers = static_cast<uint16_t>(
        HotKeyLowWord(settings.ReadSettingInt(modifierSetting)) | kHotKeyNoRepeat);
    return registration;
}

} // namespace

std::array<HotKeyRegistration, 3> ReadZoomHotKeys(ISettings& settings) {
    // Separate statements: the reads must happen in this order.
    const HotKeyRegistration zoomIn =
        ReadOne(settings, HOTKEY_ZOOMIN, L"HotKeyZoomIn", L"HotKeyModZoomIn");
    const HotKeyRegistration zoomOut =
        ReadOne(settings, HOTKEY_ZOOMOUT, L"HotKeyZoomOut", L"HotKeyModZoomOut");
    const HotKeyRegistration cancel = ReadCancelHotKey(settings);
    return {zoomIn, zoomOut, cancel};
}

HotKeyRegistration ReadCancelHotKey(ISettings& settings) {
    return ReadOne(settings, HOTKEY_ZOOMCANCEL, L"HotKeyZoomCancel", L"HotKeyModZoomCancel");
}
