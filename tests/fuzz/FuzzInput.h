// What the fuzzers share: reading the input as a stream of decisions, text
// from bytes, and stopping with a message when a rule is broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// libFuzzer keeps the input that led here and reports the abort as a crash.
[[noreturn]] inline void FuzzFail(const std::string& what) {
    std::fprintf(stderr, "broken rule: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

// LOUPA_FUZZ_TRACE=1 in the environment makes a fuzzer print every step,
// for reading what a saved input does.
inline bool Tracing() {
    static const bool tracing = std::getenv("LOUPA_FUZZ_TRACE") != nullptr;
    return tracing;
}

// Bytes as text, the way a person's editor would most likely have saved it:
// UTF-8 where it is well formed, any other byte standing for itself
// (Latin-1), so every input decodes and a readable seed stays readable.
inline std::wstring DecodeText(const uint8_t* data, size_t size) {
    std::wstring text;
    size_t i = 0;
    while (i < size) {
        const uint8_t lead = data[i];
        size_t length = 0;
        uint32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        }
        bool wellFormed = length != 0 && i + length <= size;
        for (size_t k = 1; wellFormed && k < length; ++k) {
            wellFormed = (data[i + k] & 0xC0u) == 0x80u;
            code = (code << 6) | (data[i + k] & 0x3Fu);
        }
        if (wellFormed && code <= 0x10FFFF) {
            text.push_back(static_cast<wchar_t>(code));
            i += length;
        } else {
            text.push_back(static_cast<wchar_t>(lead));
            ++i;
        }
    }
    return text;
}

// The input read front to back; once it is used up every read gives 0.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_pos >= m_size; }

    uint8_t Byte() { return Empty() ? 0 : m_data[m_pos++]; }

    // Little-endian, so a seed can spell a value byte by byte.
    uint16_t Uint16() {
        const uint16_t low = Byte();
        return static_cast<uint16_t>(low | (Byte() << 8));
    }

    int32_t Int32() {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            value |= static_cast<uint32_t>(Byte()) << shift;
        }
        return static_cast<int32_t>(value);
    }

    // Text up to the byte end (which is used up) or the end of the input.
    std::wstring TextUntil(uint8_t end) {
        const size_t start = m_pos;
        while (m_pos < m_size && m_data[m_pos] != end) {
            ++m_pos;
        }
        std::wstring text = DecodeText(m_data + start, m_pos - start);
        if (m_pos < m_size) {
            ++m_pos;
        }
        return text;
    }

    // Text from the next count bytes.
    std::wstring Text(size_t count) {
        const size_t start = m_pos;
        m_pos = count < m_size - start ? start + count : m_size;
        return DecodeText(m_data + start, m_pos - start);
    }

    // One of a table's entries.
    template <typename T, size_t N> const T& Pick(const T (&table)[N]) { return table[Byte() % N]; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};
