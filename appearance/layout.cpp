// Proportional layout: the scale between design and current lengths.
#include "appearance/layout.h"

#include "host/error.h"

namespace selvane {

float ScaleFactor(float current, float design) {
    if (design == 0) Raise(errc::kDivisionByZero);
    return current / design;
}

}  // namespace selvane
