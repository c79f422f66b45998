// Labels that show their whole text whatever the font and the DPI.
#pragma once

#include <windows.h>

// Widens every static label and check box of a dialog whose text is wider
// than the control in the dialog's font, as far as the room to its right
// allows; where that is not enough, makes it taller so that its text wraps,
// downwards while its frame or the page leaves room, else upwards.
void FitLabelsToText(HWND dialog);

// The width and height a label's text takes in its control's font, laid out
// as the control draws it within width pixels (its own width when 0), plus,
// for a check box, the box and the gap before the text.
SIZE LabelTextExtent(HWND label, int width = 0);
