// Run-time binding of the Windows Magnification API.
#pragma once

#include "fw/Handles.h"

#include <windows.h>

#include <string>

// MAGTRANSFORM of magnification.h: a 3 by 3 matrix of floats.
struct MAGTRANSFORM {
    float v[3][3];
};

// MAGCOLOREFFECT of magnification.h: a 5 by 5 colour matrix.
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
using PFN_MagGetColorEffect = BOOL(WINAPI*)(HWND, MAGCOLOREFFECT*);
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
    PFN_MagGetColorEffect MagGetColorEffect;
};

// Windows major version, 0 when the query failed. Set during static
// initialisation, before the application object exists.
extern int g_osMajorVersion;
int QueryOsMajorVersion();

// Freed at exit by the application (FreeLibrary only; MagUninitialize is
// never called).
extern fw::ModuleOwner g_hMagnification;
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
