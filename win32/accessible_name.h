// Names for screen readers: the system's accessibility proxy of a window, with a name of ours.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace selvane::win32 {

// From now on the window's client object, as a screen reader gets it (WM_GETOBJECT), is the
// system's standard one for its class with `name` as its name; role, value, state, location
// and the rest stay the system's. Lasts as long as the window. For a window of a system class,
// whose user data is free (message_hooks.h).
void NameForScreenReaders(HWND window, const std::wstring& name);

// The answer to a WM_GETOBJECT a window of this module's own class gets: its client object
// named so, as NameForScreenReaders gives it. Nothing for the other objects it may be asked.
std::optional<LRESULT> AnswerWithName(HWND window, WPARAM wparam, LPARAM lparam, const std::wstring& name);

}  // namespace selvane::win32
