// The control on screen, as the tests use it: a top-level window holding the real surface, the
// logic on top, and a site that records the events. The user's actions arrive as the window
// messages that a mouse and a keyboard would send.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "control/selvane.h"
#include "memory/memory_site.h"
#include "win32/win32_host.h"
#include "tests/windows/user_input.h"

namespace selvane::testing {

class ControlWindow {
public:
    // Created, initialised as a new instance, sized to its design and shown.
    explicit ControlWindow(LCID locale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT));
    ~ControlWindow();

    Selvane& control() { return *control_; }
    win32::Win32Surface& surface() { return host_->surface; }
    memory::MemorySite& site() { return site_; }
    HWND frame() const { return frame_; }
    HWND child(const char16_t* name) const { return host_->surface.ChildWindowOf(name); }

    // Sizes the surface (in pixels) as a host does, then lets the control lay itself out.
    void SizeSurface(int width, int height);
    // Dispatches what is queued, through the surface's keyboard handling as a host's loop does.
    void Pump();

    // The user's actions.
    void ClickItem(HWND list, int index);
    void DoubleClickItem(HWND list, int index);
    void PressKey(HWND window, UINT key);
    void TypeText(HWND edit, const std::wstring& text);
    void PressAltKey(HWND focus, wchar_t key);

    // Where the child sits on the surface, in pixels.
    RECT PlaceOf(HWND window) const;

private:
    HWND frame_ = nullptr;
    memory::MemorySite site_;
    std::unique_ptr<win32::Win32Host> host_;
    std::unique_ptr<Selvane> control_;
};

}  // namespace selvane::testing
