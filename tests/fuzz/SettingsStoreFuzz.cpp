// The settings store over any file contents and any sequence of reads and
// writes, with a shortcut and a file that may fail at each operation.
//
// Input: the file's text up to the first 0x00 byte, then operations. Each
// operation is a byte choosing what to do, a byte choosing the key and a byte
// of failures (bit 0: the shortcut cannot be updated, bit 1: the file cannot
// be written), followed by its argument: for a text write a length byte and
// that many bytes, for an integer write four bytes.
#include "settings/core/IntegerText.h"
#include "settings/core/SettingsStore.h"

#include "../support/FakeShortcut.h"
#include "FuzzInput.h"

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

// The profile functions' buffer is 4096 characters, the last for the NUL.
constexpr size_t kReadBuffer = 4096;

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f';
}

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// One line of the file as the profile functions see it.
struct IniLine {
    enum Kind { Other, Section, Key } kind = Other;
    std::wstring name;                // the section's or the key's
    std::optional<std::wstring> text; // a key's value; none without "="
};

IniLine ParseLine(const std::wstring& line) {
    IniLine parsed;
    const std::wstring trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == L';') {
        return parsed;
    }
    const size_t close = trimmed.rfind(L']');
    if (trimmed[0] == L'[' && close != std::wstring::npos) {
        parsed.kind = IniLine::Section;
        parsed.name = Trim(trimmed.substr(1, close - 1));
        return parsed;
    }
    parsed.kind = IniLine::Key;
    const size_t equals = trimmed.find(L'=');
    parsed.name = Trim(trimmed.substr(0, equals));
    if (equals != std::wstring::npos) {
        std::wstring value = Trim(trimmed.substr(equals + 1));
        // One pair of matching quotes around the value is not part of it.
        if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') &&
            value.back() == value[0]) {
            value = value.substr(1, value.size() - 2);
        }
        parsed.text = value;
    }
    return parsed;
}

struct FileLine {
    std::wstring text;
    IniLine parsed;
};

FileLine MakeLine(std::wstring text) {
    IniLine parsed = ParseLine(text);
    return FileLine{std::move(text), std::move(parsed)};
}

enum class Event { Read, Write, Remove, Shortcut };

// A call of the profile or the shortcut. A shortcut update is logged with the
// value "0" when asked to remove the shortcut, "1" when asked to make it.
struct Logged {
    Event event;
    std::wstring key;
    std::wstring value;
    bool succeeded;
};

// An INI file in memory, read and written the way the private-profile
// functions do with a 4096-character buffer: names match without regard to
// case, a key may sit in any section of that name, values are trimmed and
// unquoted, a key without "=" reads as missing, a new key goes to the end of
// its section and a new section to the end of the file.
class MemoryProfile : public ISettingProfile {
public:
    MemoryProfile(std::vector<Logged>& log, const std::wstring& contents) : m_log(log) {
        size_t start = 0;
        for (size_t i = 0; i <= contents.size(); ++i) {
            if (i == contents.size() || contents[i] == L'\n' || contents[i] == L'\r') {
                m_lines.push_back(MakeLine(contents.substr(start, i - start)));
                if (i + 1 < contents.size() && contents[i] == L'\r' && contents[i + 1] == L'\n') {
                    ++i;
                }
                start = i + 1;
            }
        }
    }

    // What a read would give, without recording it.
    std::wstring Peek(const wchar_t* section, const wchar_t* key, const wchar_t* fallback) const {
        const std::optional<size_t> at = FindKey(section, key);
        std::wstring text = fallback;
        if (at) {
            const std::optional<std::wstring>& stored = m_lines[*at].parsed.text;
            if (stored) {
                text = *stored;
            }
        }
        if (text.size() > kReadBuffer - 1) {
            text.resize(kReadBuffer - 1);
        }
        return text;
    }

    std::wstring ReadProfileText(const wchar_t* section, const wchar_t* key,
                                 const wchar_t* fallback) override {
        m_log.push_back({Event::Read, key, L"", true});
        return Peek(section, key, fallback);
    }

    bool WriteProfileText(const wchar_t* section, const wchar_t* key,
                          const std::wstring& value) override {
        if (value.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) {
            FuzzFail("a value with a line break or NUL reached the file");
        }
        m_log.push_back({Event::Write, key, value, writable});
        if (!writable) {
            return false;
        }
        FileLine line = MakeLine(std::wstring(key) + L"=" + value);
        if (const std::optional<size_t> at = FindKey(section, key)) {
            m_lines[*at] = std::move(line);
        } else if (const std::optional<size_t> end = SectionEnd(section)) {
            m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(*end), std::move(line));
        } else {
            m_lines.push_back(MakeLine(L"[" + std::wstring(section) + L"]"));
            m_lines.push_back(std::move(line));
        }
        return true;
    }

    bool RemoveProfileKey(const wchar_t* section, const wchar_t* key) override {
        m_log.push_back({Event::Remove, key, L"", writable});
        if (!writable) {
            return false;
        }
        if (const std::optional<size_t> at = FindKey(section, key)) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*at));
        }
        return true;
    }

    const std::vector<FileLine>& Lines() const { return m_lines; }

    bool writable = true;

private:
    std::optional<size_t> FindKey(const wchar_t* section, const wchar_t* key) const {
        bool inSection = false;
        for (size_t i = 0; i < m_lines.size(); ++i) {
            const IniLine& parsed = m_lines[i].parsed;
            if (parsed.kind == IniLine::Section) {
                inSection = SameName(parsed.name, section);
            } else if (inSection && parsed.kind == IniLine::Key && SameName(parsed.name, key)) {
                return i;
            }
        }
        return std::nullopt;
    }

    // The index after the last line of the first section of that name.
    std::optional<size_t> SectionEnd(const wchar_t* section) const {
        std::optional<size_t> end;
        for (size_t i = 0; i < m_lines.size(); ++i) {
            const IniLine& parsed = m_lines[i].parsed;
            if (parsed.kind == IniLine::Section) {
                if (end) {
                    return end;
                }
                if (SameName(parsed.name, section)) {
                    end = i + 1;
                }
            } else if (end && parsed.kind != IniLine::Other) {
                end = i + 1;
            }
        }
        return end;
    }

    std::vector<Logged>& m_log;
    std::vector<FileLine> m_lines;
};

// The keys an operation may name: the known ones and some the store must
// refuse, among them spellings the file itself would take for known keys.
const wchar_t* const kKeys[] = {
    kAutoStartUpKey,
    kMaxRateZoomInKey,
    kMaxRateZoomOutKey,
    kMouseZoomCtrlKey,
    kMouseZoomAltKey,
    kMouseZoomShiftKey,
    kMouseZoomWinKey,
    kHotKeyZoomInKey,
    kHotKeyModZoomInKey,
    kHotKeyZoomOutKey,
    kHotKeyModZoomOutKey,
    kHotKeyZoomCancelKey,
    kHotKeyModZoomCancelKey,
    L"autostartup",
    L"MaxRateZoomIn ",
    L"Unknown",
    L"",
    L"DEFAULT",
    nullptr,
};

std::string Name(const wchar_t* key) {
    return key == nullptr ? "(null)" : "\"" + Narrow(key) + "\"";
}

// The key's default text, or null for a key the store does not know.
const wchar_t* DefaultOf(const wchar_t* key) {
    if (key == nullptr) {
        return nullptr;
    }
    for (const SettingDefault& row : kSettingDefaults) {
        if (std::wstring(row.key) == key) {
            return row.value;
        }
    }
    return nullptr;
}

bool IsAutoStartUp(const wchar_t* key) {
    return key != nullptr && std::wstring(key) == kAutoStartUpKey;
}

// The shortcut update that AutoStartUp's text asks for: anything but "0"
// wants the shortcut.
bool IsShortcutUpdateFor(const Logged& entry, const std::wstring& text) {
    return entry.event == Event::Shortcut && entry.value == (text == L"0" ? L"0" : L"1");
}

bool IsKnownName(const std::wstring& name) {
    for (const SettingDefault& row : kSettingDefaults) {
        if (SameName(name, row.key)) {
            return true;
        }
    }
    return false;
}

// The lines no operation of the store may change: everything but the known
// keys of section DEFAULT and that section's headers.
std::vector<std::wstring> UntouchableLines(const std::vector<FileLine>& lines) {
    std::vector<std::wstring> kept;
    bool inDefault = false;
    for (const FileLine& line : lines) {
        const IniLine& parsed = line.parsed;
        if (parsed.kind == IniLine::Section) {
            inDefault = SameName(parsed.name, kSettingSection);
            if (inDefault) {
                continue;
            }
        } else if (inDefault && parsed.kind == IniLine::Key && IsKnownName(parsed.name)) {
            continue;
        }
        kept.push_back(line.text);
    }
    return kept;
}

// Whether entry puts back what AutoStartUp held before the operation (before:
// kMissingSettingText when the key was missing): a write of text that reads
// as before, or the key's removal.
bool IsRestoreOf(const Logged& entry, const std::wstring& before) {
    if (entry.key != kAutoStartUpKey) {
        return false;
    }
    if (before == kMissingSettingText) {
        return entry.event == Event::Remove;
    }
    return entry.event == Event::Write &&
           ParseLine(entry.key + L"=" + entry.value).text == std::optional<std::wstring>(before);
}

// The log entries of one operation against the rules every operation keeps:
// only known keys are written; the shortcut follows the file, so a value of
// AutoStartUp that reached the file is followed at once by the shortcut update
// it asks for, and when that fails, by putting back what the file held.
void CheckWrites(const std::vector<Logged>& log, size_t from, const std::wstring& before,
                 const std::string& what) {
    for (size_t i = from; i < log.size(); ++i) {
        const Logged& entry = log[i];
        if (entry.event != Event::Write && entry.event != Event::Remove) {
            continue;
        }
        if (DefaultOf(entry.key.c_str()) == nullptr) {
            FuzzFail(what + ": wrote the unknown key " + Narrow(entry.key));
        }
        if (entry.key != kAutoStartUpKey) {
            continue;
        }
        const bool restore = i > from && log[i - 1].event == Event::Shortcut &&
                             !log[i - 1].succeeded && i - 1 > from &&
                             log[i - 2].event == Event::Write && log[i - 2].succeeded;
        if (restore) {
            if (!IsRestoreOf(entry, before)) {
                FuzzFail(what + ": after the failed shortcut update AutoStartUp did not get \"" +
                         Narrow(before) + "\" back");
            }
            continue;
        }
        if (entry.event == Event::Remove) {
            FuzzFail(what + ": AutoStartUp removed without a failed shortcut update");
        }
        if (!entry.succeeded) {
            continue;
        }
        if (i + 1 == log.size() || !IsShortcutUpdateFor(log[i + 1], entry.value)) {
            FuzzFail(what + ": AutoStartUp=" + Narrow(entry.value) +
                     " written without the shortcut update that follows it");
        }
        if (!log[i + 1].succeeded && (i + 2 == log.size() || !IsRestoreOf(log[i + 2], before))) {
            FuzzFail(what + ": AutoStartUp=" + Narrow(entry.value) +
                     " kept although the shortcut could not follow");
        }
    }
}

bool CanHold(const std::wstring& value) {
    return value.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos;
}

// before is what the file held for the key ahead of the read.
void CheckRead(const std::vector<Logged>& log, size_t from, const wchar_t* key,
               const std::wstring& before, bool shortcutWorks, const std::wstring& value,
               bool result, const std::string& what) {
    const wchar_t* fallback = DefaultOf(key);
    if (fallback == nullptr) {
        if (result || log.size() != from || value != L"untouched") {
            FuzzFail(what + ": an unknown key was read");
        }
        return;
    }
    const bool missing = before == kMissingSettingText;
    for (size_t i = from; i < log.size(); ++i) {
        const Logged& entry = log[i];
        if (entry.event != Event::Write) {
            continue;
        }
        if (!missing) {
            FuzzFail(what + ": a read rewrote a key that holds \"" + Narrow(before) + "\"");
        }
        if (entry.key != key || entry.value != fallback) {
            FuzzFail(what + ": a read wrote " + Narrow(entry.key) + "=" + Narrow(entry.value));
        }
    }
    const std::wstring expected = missing ? fallback : before;
    if (value != expected) {
        FuzzFail(what + ": read \"" + Narrow(value) + "\" instead of \"" + Narrow(expected) + "\"");
    }
    bool expectedResult = true;
    if (IsAutoStartUp(key)) {
        if (log.size() == from || !IsShortcutUpdateFor(log.back(), value)) {
            FuzzFail(what + ": reading AutoStartUp did not end with the shortcut update");
        }
        expectedResult = shortcutWorks;
    }
    if (result != expectedResult) {
        FuzzFail(what + ": read result " + std::to_string(result));
    }
}

// before and after: the key's text ahead of the write and after it.
void CheckWrite(const std::vector<Logged>& log, size_t from, const wchar_t* key,
                const std::wstring& value, const std::wstring& before, const std::wstring& after,
                bool result, const std::string& what) {
    // Stored: the operation's last write put the value there, and for
    // AutoStartUp the shortcut update after it succeeded and ended the write.
    bool stored = false;
    for (size_t i = from; i < log.size(); ++i) {
        if (log[i].event == Event::Write || log[i].event == Event::Remove) {
            const size_t end = IsAutoStartUp(key) ? i + 2 : i + 1;
            stored = key != nullptr && log[i].event == Event::Write && log[i].key == key &&
                     log[i].value == value && log[i].succeeded && end == log.size() &&
                     (!IsAutoStartUp(key) || log.back().succeeded);
        }
    }
    if (!result && after != before) {
        FuzzFail(what + ": a failed write changed the key from \"" + Narrow(before) + "\" to \"" +
                 Narrow(after) + "\"");
    }
    for (size_t i = from; i < log.size() && !result; ++i) {
        if (log[i].event == Event::Shortcut && log[i].succeeded) {
            FuzzFail(what + ": a failed write changed the shortcut");
        }
    }
    if (result != stored) {
        FuzzFail(what + ": write result " + std::to_string(result) + " but the file " +
                 (stored ? "holds the value" : "does not hold the value"));
    }
    if ((DefaultOf(key) == nullptr || !CanHold(value)) && log.size() != from) {
        FuzzFail(what + ": a write that cannot succeed reached the file or the shortcut");
    }
}

std::wstring Peek(const MemoryProfile& profile, const wchar_t* key) {
    return key == nullptr ? L"" : profile.Peek(kSettingSection, key, kMissingSettingText);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::vector<Logged> log;
    MemoryProfile profile(log, input.TextUntil(0));
    Calls shortcutCalls;
    FakeShortcut shortcut(shortcutCalls);
    shortcut.observe = [&log](bool enable, bool succeeded) {
        log.push_back({Event::Shortcut, L"", enable ? L"1" : L"0", succeeded});
    };
    SettingsStore store(profile, shortcut);
    store.LoadDefaults();
    const std::vector<std::wstring> untouchable = UntouchableLines(profile.Lines());

    // Longer sequences add little but time: each step checks the whole file.
    for (int step = 0; step < 256 && !input.Empty(); ++step) {
        const uint8_t op = input.Byte();
        const wchar_t* key = input.Pick(kKeys);
        const uint8_t failures = input.Byte();
        shortcut.succeeds = (failures & 1) == 0;
        profile.writable = (failures & 2) == 0;

        const std::wstring before = Peek(profile, key);
        const size_t from = log.size();
        std::string what = "step " + std::to_string(step) + " ";
        switch (op % 5) {
        case 0: {
            what += "ReadSetting " + Name(key);
            std::wstring value = L"untouched";
            const bool result = store.ReadSetting(key, value);
            CheckRead(log, from, key, before, shortcut.succeeds, value, result, what);
            break;
        }
        case 1: {
            what += "ReadSettingInt " + Name(key);
            const int value = store.ReadSettingInt(key);
            const wchar_t* fallback = DefaultOf(key);
            if (fallback != nullptr) {
                const std::wstring text = before == kMissingSettingText ? fallback : before;
                const bool failed = IsAutoStartUp(key) && !shortcut.succeeds;
                if (value != (failed ? 0 : ParseSettingInt(text))) {
                    FuzzFail(what + ": gave " + std::to_string(value));
                }
            } else if (value != 0) {
                FuzzFail(what + ": an unknown key gave " + std::to_string(value));
            }
            break;
        }
        case 2: {
            const std::wstring value = input.Text(input.Byte());
            what += "WriteSetting " + Name(key) + " \"" + Narrow(value) + "\"";
            const bool result = store.WriteSetting(key, value);
            CheckWrite(log, from, key, value, before, Peek(profile, key), result, what);
            break;
        }
        case 3: {
            const int value = input.Int32();
            what += "WriteSettingInt " + Name(key) + " " + std::to_string(value);
            const bool result = store.WriteSettingInt(key, value);
            CheckWrite(log, from, key, FormatSettingInt(value), before, Peek(profile, key), result,
                       what);
            break;
        }
        default:
            what += "LoadDefaults";
            store.LoadDefaults();
            if (log.size() != from) {
                FuzzFail(what + ": touched the file or the shortcut");
            }
            break;
        }
        CheckWrites(log, from, before, what);
        const bool wrote = std::any_of(log.begin() + static_cast<std::ptrdiff_t>(from), log.end(),
                                       [](const Logged& e) { return e.event == Event::Write; });
        if (wrote && UntouchableLines(profile.Lines()) != untouchable) {
            FuzzFail(what + ": changed a line of an unknown key or another section");
        }
    }
    return 0;
}
