// Proportional layout: the scale between design and current lengths, and what it gives a child.
#include "appearance/layout.h"

#include <algorithm>
#include <cmath>

#include "host/error.h"

namespace selvane {

float ScaleFactor(float current, float design) {
    if (design == 0) Raise(errc::kDivisionByZero);
    return current / design;
}

Placement Placed(const ControlLayout& design, float x, float y) {
    return {x * design.Left, y * design.Top, x * design.Width, y * design.Height, std::min(x, y) * design.FontSize};
}

int IconPixels(int dpi) { return std::max(1, (16 * dpi + 48) / 96); }

int IconGapPixels(int dpi) { return std::max(1, (3 * dpi + 48) / 96); }

long FontPixels(float points, int dpi) {
    if (!std::isfinite(points) || points < 0) Raise(errc::kInvalidPropertyValue);
    return std::max(1L, std::lround(points * static_cast<float>(dpi) / 72.0f));
}

}  // namespace selvane
