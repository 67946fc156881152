// Names for screen readers: the system's accessibility proxy of a window, with a name of ours.
#pragma once

#include <windows.h>

#include <string>

namespace selvane::win32 {

// From now on the window's client object, as a screen reader gets it (WM_GETOBJECT), is the
// system's standard one for its class with `name` as its name; role, value, state, location
// and the rest stay the system's. Lasts as long as the window.
void NameForScreenReaders(HWND window, const std::wstring& name);

}  // namespace selvane::win32
