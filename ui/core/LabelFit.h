// How far a label of the settings pages may grow to show its whole text.
#pragma once

#include <vector>

struct LabelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The right edge a label may widen to: the left edge of the nearest control
// to its right that shares rows with it, frameMargin inside the right side of
// a group box around it, or the page's edge, whichever comes first; never
// left of the label's own right edge.
int LabelRightLimit(const LabelBox& label, const std::vector<LabelBox>& controls,
                    const std::vector<LabelBox>& groups, int pageRight, int frameMargin);

// The lowest a label's bottom may reach: frameMargin above the bottom of a
// group box around it, or the page's bottom.
int LabelBottomLimit(const LabelBox& label, const std::vector<LabelBox>& groups, int pageBottom,
                     int frameMargin);
