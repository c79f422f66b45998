#include "fw/Trace.h"

#include <cwchar>

namespace fw {

void Trace(const wchar_t* call, DWORD code) {
    wchar_t line[256] = {};
    std::swprintf(line, sizeof line / sizeof line[0], L"%ls failed: error %lu (0x%08lX)\n", call,
                  static_cast<unsigned long>(code), static_cast<unsigned long>(code));
    ::OutputDebugStringW(line);
}

} // namespace fw
