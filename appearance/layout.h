// Proportional layout: every child keeps its design share of the control's size.
#pragma once

#include "host/controls.h"

namespace selvane {

// One child's geometry and font size as designed, recorded once when the control is created.
struct ControlLayout {
    host::ChildControl* Ctl = nullptr;
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
    float FontSize = 0;
};

// The factor by which a design length becomes a current one. Fails (division by zero) for a
// zero design length, so that the scaling step it belongs to is skipped.
float ScaleFactor(float current, float design);

// Where a child goes, and its font size, at the scale x across and y down.
struct Placement {
    float left, top, width, height, font_size;
};

// Horizontal quantities follow the width, vertical ones the height, the font the smaller of the
// two, so that text never outgrows the box it was designed for.
Placement Placed(const ControlLayout& design, float x, float y);

// The pixel height of a font of `points` at `dpi` dots per inch: at least one pixel, since a
// height of 0 would ask for the default size. Fails (invalid property value) for a size that is
// not a finite, non-negative number.
long FontPixels(float points, int dpi);

// Pixels of what the lists draw beside their entries at `dpi` (96 is 100 %): the small icon's
// side (16 at 96) and the gap on either side of it (3 at 96), at least one pixel each.
int IconPixels(int dpi);
int IconGapPixels(int dpi);

}  // namespace selvane
