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

}  // namespace selvane
