#include "settings/core/ProfileText.h"

bool ProfileSurvivesRewrite(std::string_view bytes) {
    const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                             (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    if (!utf16) {
        return bytes.find('\0') == std::string_view::npos;
    }
    // A last odd byte is no character and would not be written back.
    if (bytes.size() % 2 != 0) {
        return false;
    }
    for (size_t i = 2; i < bytes.size(); i += 2) {
        if (bytes[i] == '\0' && bytes[i + 1] == '\0') {
            return false;
        }
    }
    return true;
}

namespace {

// Generous: quoting a value that would have survived costs nothing.
bool MayBeDropped(wchar_t c) {
    return c <= L' ' || c == L'"' || c == L'\'' || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

} // namespace

std::wstring ProfileTextReadingAs(const std::wstring& text) {
    if (text.empty() || (!MayBeDropped(text.front()) && !MayBeDropped(text.back()))) {
        return text;
    }
    return L'"' + text + L'"';
}

namespace {

bool HasByteOrderMark(std::string_view bytes) {
    return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF" ||
           bytes.substr(0, 3) == "\xEF\xBB\xBF";
}

// What the private-profile functions trim around lines, names and values.
bool IsProfileSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r') || c == 0x1A || c == 0xA0 || c == 0x3000;
}

std::wstring_view Trimmed(std::wstring_view text) {
    while (!text.empty() && IsProfileSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsProfileSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Names compare without regard to case, as the profile functions compare them.
bool SameName(std::wstring_view a, std::wstring_view b) {
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

struct Line {
    size_t begin;
    size_t end;  // before the line break
    size_t next; // after it
};

// A line ends at the next LF, or at the next CR where no LF follows any more.
Line LineAt(std::string_view bytes, size_t begin) {
    size_t lf = bytes.find('\n', begin);
    if (lf != std::string_view::npos) {
        size_t end = lf > begin && bytes[lf - 1] == '\r' ? lf - 1 : lf;
        return {begin, end, lf + 1};
    }
    size_t cr = bytes.find('\r', begin);
    if (cr != std::string_view::npos) {
        return {begin, cr, cr + 1};
    }
    return {begin, bytes.size(), bytes.size()};
}

} // namespace

bool ProfileRewriteKeepsBytes(std::string_view bytes, const IProfileCodePage& codePage) {
    if (HasByteOrderMark(bytes)) {
        return true;
    }
    std::string back;
    return codePage.Encode(codePage.Decode(bytes), back) && back == bytes;
}

bool EditProfileEntry(std::string& bytes, std::wstring_view section, std::wstring_view key,
                      const std::wstring* value, const IProfileCodePage& codePage) {
    std::string entry;
    if (value != nullptr && !codePage.Encode(std::wstring(key) + L'=' + *value, entry)) {
        return false;
    }
    bool inSection = false;
    std::string_view file(bytes);
    size_t insertAt = std::string_view::npos;
    bool breakBefore = false;
    for (size_t at = 0; at < file.size();) {
        const Line line = LineAt(file, at);
        at = line.next;
        const std::wstring decoded =
            codePage.Decode(file.substr(line.begin, line.end - line.begin));
        const std::wstring_view text = Trimmed(decoded);
        if (text.empty()) {
            continue;
        }
        const size_t close = text.rfind(L']');
        if (text.front() == L'[' && close != std::wstring_view::npos) {
            if (inSection) {
                break;
            }
            inSection = SameName(Trimmed(text.substr(1, close - 1)), section);
        } else if (inSection && SameName(Trimmed(text.substr(0, text.find(L'='))), key)) {
            if (value != nullptr) {
                bytes.replace(line.begin, line.end - line.begin, entry);
            } else {
                bytes.erase(line.begin, line.next - line.begin);
            }
            return true;
        }
        if (inSection) {
            insertAt = line.next;
            breakBefore = line.next == line.end;
        }
    }
    if (value == nullptr) {
        return true;
    }
    if (insertAt == std::string_view::npos) {
        std::string header;
        if (!codePage.Encode(L'[' + std::wstring(section) + L']', header)) {
            return false;
        }
        insertAt = bytes.size();
        breakBefore = !bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r';
        entry = header + "\r\n" + entry;
    }
    bytes.insert(insertAt, (breakBefore ? "\r\n" : "") + entry + "\r\n");
    return true;
}
