// ATL's control container in atl.dll (Wine's, or the one Windows ships), reached through its
// exports by name: mingw has no import library for it. A window of its class AtlAxWin whose title is a ProgID creates that control,
// gives it a site, and activates it in place at the window's size.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

namespace selvane::demo {

class AtlContainer {
public:
    // Loads atl.dll and registers the AtlAxWin class; on failure, says why in *error.
    bool Load(std::wstring* error);
    // A child window of the parent hosting the control of that ProgID, at the place given.
    HWND Create(HWND parent, const wchar_t* prog_id, const RECT& place, int id) const;
    // The control the window hosts.
    HRESULT GetControl(HWND window, IUnknown** control) const;

private:
    using GetControlFunction = HRESULT(WINAPI*)(HWND, IUnknown**);

    // Never freed: the AtlAxWin class and its windows live as long as the process.
    HMODULE atl_ = nullptr;
    GetControlFunction get_control_ = nullptr;
};

}  // namespace selvane::demo
