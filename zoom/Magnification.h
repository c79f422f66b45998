// Run-time binding of the Windows Magnification API.
#pragma once

#include <windows.h>

#include <string>

// MAGTRANSFORM of magnification.h: a 3 by 3 matrix of floats.
struct MAGTRANSFORM {
    float v[3][3];
};

// MAGCOLOREFFECT: a 5 by 5 colour matrix; a pixel's (r, g, b, a, 1) as a row
// times the matrix gives its new colour, channels from 0 to 1.
struct MAGCOLOREFFECT {
    float transform[5][5];
};

using PFN_MagInitialize = BOOL(WINAPI*)();
using PFN_MagUninitialize = BOOL(WINAPI*)();
using PFN_MagSetWindowSource = BOOL(WINAPI*)(HWND, RECT);
using PFN_MagGetWindowSource = BOOL(WINAPI*)(HWND, RECT*);
using PFN_MagSetWindowTransform = BOOL(WINAPI*)(HWND, MAGTRANSFORM*);
using PFN_MagGetWindowTransform = BOOL(WINAPI*)(HWND, MAGTRANSFORM*);
using PFN_MagSetColorEffect = BOOL(WINAPI*)(HWND, MAGCOLOREFFECT*);
using PFN_MagGeneric = BOOL(WINAPI*)();

// One entry per bound function, null when the library lacks it. Only
// MagInitialize, MagSetWindowSource, MagSetWindowTransform and
// MagSetColorEffect are called.
struct MagnificationEntries {
    PFN_MagInitialize MagInitialize;
    PFN_MagUninitialize MagUninitialize;
    PFN_MagSetWindowSource MagSetWindowSource;
    PFN_MagGetWindowSource MagGetWindowSource;
    PFN_MagSetWindowTransform MagSetWindowTransform;
    PFN_MagGetWindowTransform MagGetWindowTransform;
    PFN_MagGeneric MagSetWindowFilterList;
    PFN_MagGeneric MagGetWindowFilterList;
    PFN_MagGeneric MagSetImageScalingCallback;
    PFN_MagGeneric MagGetImageScalingCallback;
    PFN_MagSetColorEffect MagSetColorEffect;
    PFN_MagGeneric MagGetColorEffect;
};

// Windows major version, 0 when the query failed. Set during static
// initialisation, before the application object exists.
extern int g_osMajorVersion;
int QueryOsMajorVersion();

extern HMODULE g_hMagnification;
extern MagnificationEntries g_mag;

// Loads Magnification.dll from the system folder and looks up its entries.
// FALSE when the gate is closed or the library cannot be loaded.
BOOL LoadMagnification();

// Whether this run renders through the Magnification API: the gate is open
// and the library bound and initialised. Otherwise the screen is copied.
extern bool g_magnifierUsable;

// The full path of Magnification.dll in the system folder; empty when the
// folder cannot be obtained.
std::wstring MagnificationLibraryPath();
