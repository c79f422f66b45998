// What the private-profile functions can do with a file's bytes.
#pragma once

#include <string>
#include <string_view>

// Whether a write through the private-profile functions keeps everything the
// file holds. Some implementations (Wine's among them) rewrite the whole file
// from the text they parsed, and that text ends at a NUL character: whatever
// follows a NUL on its line would be lost, and a UTF-16 file without a
// byte-order mark, read as 8-bit text, is full of them. A UTF-16 file with
// its mark is read as such; there a NUL character counts, not a NUL byte,
// and so does a last byte that makes no whole character.
bool ProfileSurvivesRewrite(std::string_view bytes);

// What to write so that the private-profile functions read back exactly
// text. They drop blanks around a value and one pair of matching quotes, so
// a value that begins or ends with either is written inside quotes.
std::wstring ProfileTextReadingAs(const std::wstring& text);

// The code page in which the private-profile functions read and write a file
// without a byte-order mark: the system's ANSI code page.
class IProfileCodePage {
public:
    virtual ~IProfileCodePage() = default;
    virtual std::wstring Decode(std::string_view bytes) const = 0;
    // False when text has no exact form in the code page.
    virtual bool Encode(std::wstring_view text, std::string& bytes) const = 0;
};

// Whether a write through the private-profile functions gives back every
// byte of the lines it does not change. They rewrite the whole file from the
// text they decoded, so a file without a byte-order mark keeps its bytes
// only where the code page turns its text back into the same bytes; UTF-8
// written by an editor on a Japanese system, for one, does not. A file with a
// mark is read and written in the encoding the mark names.
bool ProfileRewriteKeepsBytes(std::string_view bytes, const IProfileCodePage& codePage);

// Sets key in section to value, or takes the key out where value is null,
// in the bytes of a file without a byte-order mark, as the private-profile
// functions would read it, and leaves every other line's bytes as they are.
// A missing key goes after the section's last entry, a missing section at
// the end of the file, on lines ending in CR LF. False, bytes untouched,
// when the new line has no exact form in the code page.
bool EditProfileEntry(std::string& bytes, std::wstring_view section, std::wstring_view key,
                      const std::wstring* value, const IProfileCodePage& codePage);
