// A user at the screen while the test's own thread sits in a modal loop: the user runs on a
// thread of their own, finds the thread's windows, reads them and acts through the system's
// input queue. What the user sees is recorded for the test's thread to check: assertions stay
// on the test's thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace selvane::testing {

// Runs modal() on this thread and user() on another at the same time. Once user() has returned,
// whatever modal windows this thread still shows are closed, so a user who didn't finish can't
// leave the test hanging. Returns whether user() was done before that clean-up was needed.
bool WhileModal(const std::function<void()>& modal, const std::function<void(DWORD modal_thread)>& user);

// The thread's visible top-level window of the class (and title, unless null), waited for up to
// the patience in milliseconds; null when none came.
HWND WaitForWindow(DWORD thread, const wchar_t* window_class, const wchar_t* title = nullptr,
                   HWND other_than = nullptr, DWORD patience = 5000);
// Whether the window is gone within five seconds.
bool WaitUntilGone(HWND window);

// The window's children in z-order, which is the order they were made in.
std::vector<HWND> ChildrenOf(HWND window);
// The window's place in its parent's client area.
RECT PlaceInParent(HWND window);
// The window that has the keyboard focus on the window's thread.
HWND FocusOf(HWND window);

// Real input: a key pressed and released, and a left click at the centre of the window.
void PressKey(WORD key);
void ClickCentre(HWND window);

}  // namespace selvane::testing
