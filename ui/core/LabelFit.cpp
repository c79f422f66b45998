#include "ui/core/LabelFit.h"

#include <algorithm>

namespace {

bool SharesRows(const LabelBox& a, const LabelBox& b) {
    return a.top < b.bottom && b.top < a.bottom;
}

bool Holds(const LabelBox& outer, const LabelBox& inner) {
    return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
           inner.bottom <= outer.bottom;
}

} // namespace

int LabelRightLimit(const LabelBox& label, const std::vector<LabelBox>& controls,
                    const std::vector<LabelBox>& groups, int pageRight, int frameMargin) {
    int limit = pageRight;
    for (const LabelBox& other : controls) {
        if (other.left > label.left && SharesRows(label, other)) {
            limit = std::min(limit, other.left);
        }
    }
    for (const LabelBox& group : groups) {
        if (Holds(group, label)) {
            limit = std::min(limit, group.right - frameMargin);
        }
    }
    return std::max(limit, label.right);
}

int LabelBottomLimit(const LabelBox& label, const std::vector<LabelBox>& groups, int pageBottom,
                     int frameMargin) {
    int limit = pageBottom;
    for (const LabelBox& group : groups) {
        if (Holds(group, label)) {
            limit = std::min(limit, group.bottom - frameMargin);
        }
    }
    return std::max(limit, label.bottom);
}
