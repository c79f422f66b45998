// What the user is told about hot keys the system refused: one line for each,
// naming its command and its keys as the hot-key field writes them.
#pragma once

#include <string>
#include <vector>

class ISettings;

// The keys of hot key id (101, 102, 103) as stored now, written as the
// hot-key field writes them.
std::wstring StoredHotKeyText(ISettings& settings, int id);

// The lines for the refused ids (101, 102, 103), keys as stored now.
std::vector<std::wstring> RefusedHotKeyLines(ISettings& settings, const std::vector<int>& ids);
