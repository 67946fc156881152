// Which colour each part of the control is drawn in: the one set, or the system's own while the
// system's high-contrast mode is on.
#pragma once

#include "host/types.h"

namespace selvane {

// What a colour is drawn for: the surface and the labels' background, or the labels' text on it.
enum class ColorRole { kBackground, kText };

// The system's button text, as 0x80000000 with COLOR_BTNTEXT names it.
inline constexpr Color kButtonTextColor = 0x80000012;

// The colour drawn for a role, given the colour set for it. High contrast puts the system's own
// colours in place of every set one, the button face behind and the button text on it, so that
// a form saved black on grey stays readable in a dark scheme; what is set and saved is unchanged.
Color DrawnColor(ColorRole role, Color set, bool high_contrast);

}  // namespace selvane
