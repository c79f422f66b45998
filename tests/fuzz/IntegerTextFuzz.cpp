// ParseSettingInt over any text against a reference that reads the same
// number into a saturating long long and only then into the int range.
#include "settings/core/IntegerText.h"

#include "FuzzInput.h"

#include <climits>
#include <cwctype>
#include <string>

namespace {

int ReferenceParse(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        const int digit = text[i] - L'0';
        value = value > (LLONG_MAX - digit) / 10 ? LLONG_MAX : value * 10 + digit;
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = DecodeText(data, size);
    const int parsed = ParseSettingInt(text);
    const int expected = ReferenceParse(text);
    if (parsed != expected) {
        FuzzFail("ParseSettingInt gave " + std::to_string(parsed) + ", the reference " +
                 std::to_string(expected));
    }
    if (ParseSettingInt(FormatSettingInt(parsed)) != parsed) {
        FuzzFail("FormatSettingInt(" + std::to_string(parsed) + ") does not read back");
    }
    return 0;
}
