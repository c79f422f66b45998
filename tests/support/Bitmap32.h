// The picture format of the Win32 test programs: 32 bits a pixel, top row
// first, as the pixels lie in their buffers.
#pragma once

#include <windows.h>

inline BITMAPINFO Bitmap32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}
