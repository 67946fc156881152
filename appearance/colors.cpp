// The colours drawn, as the system's high-contrast mode decides.
#include "appearance/colors.h"

namespace selvane {

Color DrawnColor(ColorRole role, Color set, bool high_contrast) {
    if (!high_contrast) return set;
    return role == ColorRole::kBackground ? kButtonFaceColor : kButtonTextColor;
}

}  // namespace selvane
