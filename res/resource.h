// Resource and command identifiers, shared by the .rc and the program.
#pragma once

#define IDM_ABOUTBOX 0x0010
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
// Reports of keys that cannot be registered, and the first start's welcome.
// %1 and %2 in a text are filled in by the program.
#define IDS_HOTKEY_FUNCTION_ZOOMIN 110
#define IDS_HOTKEY_FUNCTION_ZOOMOUT 111
#define IDS_HOTKEY_FUNCTION_ZOOMCANCEL 112
#define IDS_HOTKEY_REFUSED_LINE 113
#define IDS_HOTKEY_REFUSED_TRAY_HINT 114
#define IDS_HOTKEY_REFUSED_SHEET_HINT 115
#define IDS_WELCOME 116
#define IDD_LOUPA_DIALOG 102
#define IDD_PAGE1 107
#define IDD_PAGE2 108
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 129

#define IDC_SLIDER_ZOOMIN 1000
#define IDC_SLIDER_ZOOMOUT 1001
#define IDC_CHECK_CTRL 1003
#define IDC_CHECK_ALT 1004
#define IDC_CHECK_WIN 1005
#define IDC_CHECK_SHIFT 1006
#define IDC_HOTKEY_ZOOMIN 1007
#define IDC_HOTKEY_ZOOMOUT 1009
#define IDC_HOTKEY_ZOOMCANCEL 1010
#define IDC_CHECK_FOLLOWCARET 1011
#define IDC_CHECK_INVERTCOLORS 1012

#define ID_TRAY_EXIT 32775
#define ID_TRAY_SETTING 32779
#define ID_TRAY_ZOOMIN 32780
#define ID_TRAY_ZOOMOUT 32781
#define ID_TRAY_ZOOMCANCEL 32782
#define ID_TRAY_AUTOSTARTUP 32785

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
