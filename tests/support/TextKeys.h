// The keys that type or edit text, by their names in Microsoft's list of
// virtual-key codes, written from that list and not from the code under
// test: a wrong range there shows up against this table.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>

struct NamedKey {
    const char* name;
    std::uint16_t code;
};

// The digit and letter keys are their characters' codes: '0'-'9', 'A'-'Z'.
// clang-format off
inline constexpr NamedKey kNamedTextKeys[] = {
    {"VK_BACK", 0x08},      {"VK_TAB", 0x09},        {"VK_RETURN", 0x0D},    {"VK_SPACE", 0x20},
    {"VK_DELETE", 0x2E},    {"VK_NUMPAD0", 0x60},    {"VK_NUMPAD1", 0x61},   {"VK_NUMPAD2", 0x62},
    {"VK_NUMPAD3", 0x63},   {"VK_NUMPAD4", 0x64},    {"VK_NUMPAD5", 0x65},   {"VK_NUMPAD6", 0x66},
    {"VK_NUMPAD7", 0x67},   {"VK_NUMPAD8", 0x68},    {"VK_NUMPAD9", 0x69},   {"VK_MULTIPLY", 0x6A},
    {"VK_ADD", 0x6B},       {"VK_SEPARATOR", 0x6C},  {"VK_SUBTRACT", 0x6D},  {"VK_DECIMAL", 0x6E},
    {"VK_DIVIDE", 0x6F},    {"VK_OEM_1", 0xBA},      {"VK_OEM_PLUS", 0xBB},  {"VK_OEM_COMMA", 0xBC},
    {"VK_OEM_MINUS", 0xBD}, {"VK_OEM_PERIOD", 0xBE}, {"VK_OEM_2", 0xBF},     {"VK_OEM_3", 0xC0},
    {"VK_OEM_4", 0xDB},     {"VK_OEM_5", 0xDC},      {"VK_OEM_6", 0xDD},     {"VK_OEM_7", 0xDE},
    {"VK_OEM_8", 0xDF},     {"VK_OEM_102", 0xE2},
};
// clang-format on

inline bool IsTextKey(std::uint16_t vk) {
    return (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z') ||
           std::any_of(std::begin(kNamedTextKeys), std::end(kNamedTextKeys),
                       [vk](const NamedKey& key) { return key.code == vk; });
}
