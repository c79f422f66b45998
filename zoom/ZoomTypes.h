// RECT and POINT for the platform-free zoom logic: the real ones on Windows,
// layout-compatible ones elsewhere.
#pragma once

#ifdef _WIN32
#include <windef.h>
#else
#include <cstdint>
struct RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
struct POINT {
    int32_t x;
    int32_t y;
};
#endif

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const RECT& a, const RECT& b) {
    return !(a == b);
}
inline bool operator==(const POINT& a, const POINT& b) {
    return a.x == b.x && a.y == b.y;
}
inline bool operator!=(const POINT& a, const POINT& b) {
    return !(a == b);
}
