#include "fw/DialogTemplate.h"

#include <cstring>

namespace fw {

namespace {

// Reads a template's fields in order, never past its end.
class Reader {
public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    bool Ok() const { return m_ok; }
    size_t Offset() const { return m_offset; }

    WORD Word() {
        WORD w = 0;
        Copy(&w, sizeof w);
        return w;
    }
    DWORD Dword() {
        DWORD d = 0;
        Copy(&d, sizeof d);
        return d;
    }
    void Skip(size_t n) {
        if (m_offset + n > m_size) {
            m_ok = false;
            return;
        }
        m_offset += n;
    }
    std::wstring String() {
        std::wstring s;
        for (WORD c = Word(); m_ok && c != 0; c = Word()) {
            s.push_back(static_cast<wchar_t>(c));
        }
        return s;
    }
    // A menu or class field: absent, an ordinal, or a string.
    void SizeOrOrdinal() {
        WORD first = Word();
        if (first == 0xFFFF) {
            Word();
        } else if (first != 0) {
            String();
        }
    }

private:
    void Copy(void* out, size_t n) {
        if (!m_ok || m_offset + n > m_size) {
            m_ok = false;
            return;
        }
        std::memcpy(out, m_data + m_offset, n);
        m_offset += n;
    }

    const BYTE* m_data;
    size_t m_size;
    size_t m_offset = 0;
    bool m_ok = true;
};

bool IsExtended(const BYTE* tmpl, size_t size) {
    return size >= 4 && tmpl[0] == 1 && tmpl[1] == 0 && tmpl[2] == 0xFF && tmpl[3] == 0xFF;
}

// Positions of the font fields: where they start and where the items begin.
struct FontPlace {
    size_t start = 0;
    size_t itemsStart = 0;
    DialogFont font;
};

bool FindFont(const BYTE* tmpl, size_t size, FontPlace& place) {
    Reader r(tmpl, size);
    bool extended = IsExtended(tmpl, size);
    DWORD style = 0;
    if (extended) {
        r.Skip(4 + 4 + 4); // version, signature, help id, extended style
        style = r.Dword();
        r.Skip(2 + 8);
    } else {
        style = r.Dword();
        r.Skip(4 + 2 + 8);
    }
    r.SizeOrOrdinal();
    r.SizeOrOrdinal();
    r.String();
    if (!r.Ok() || (style & DS_SETFONT) == 0) {
        return false;
    }
    place.start = r.Offset();
    place.font.pointSize = r.Word();
    if (extended) {
        r.Skip(2 + 1 + 1); // weight, italic, character set
    }
    place.font.face = r.String();
    place.itemsStart = (r.Offset() + 3) & ~size_t(3);
    return r.Ok() && place.itemsStart <= size;
}

void Append(std::vector<BYTE>& out, const void* data, size_t n) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    out.insert(out.end(), bytes, bytes + n);
}

} // namespace

bool ReadDialogFont(const BYTE* tmpl, size_t size, DialogFont& font) {
    FontPlace place;
    if (!FindFont(tmpl, size, place)) {
        return false;
    }
    font = place.font;
    return true;
}

std::vector<BYTE> WithDialogFont(const BYTE* tmpl, size_t size, const DialogFont& font) {
    FontPlace place;
    if (!IsExtended(tmpl, size) || !FindFont(tmpl, size, place)) {
        return {};
    }
    std::vector<BYTE> out(tmpl, tmpl + place.start);
    WORD pointSize = font.pointSize;
    Append(out, &pointSize, sizeof pointSize);
    // Weight, italic and character set stay as the template has them.
    Append(out, tmpl + place.start + 2, 4);
    Append(out, font.face.c_str(), (font.face.size() + 1) * sizeof(wchar_t));
    // Items start on a DWORD boundary, as before; their own alignment is
    // kept because they move by a multiple of four.
    out.resize((out.size() + 3) & ~size_t(3), 0);
    Append(out, tmpl + place.itemsStart, size - place.itemsStart);
    return out;
}

} // namespace fw
