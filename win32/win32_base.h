// What every part of the Win32 host shares: string views between the logic's UTF-16 strings and
// the wide APIs, run-time errors from system error codes, and windows (owning handles are in
// handles.h).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "appearance/colors.h"
#include "host/attempt.h"
#include "host/error.h"
#include "win32/handles.h"

namespace selvane::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide APIs take UTF-16 strings");

// State that the thread pool's workers share from one call to the next. A program that returns
// from main destroys its statics while the pool's workers still run, and a worker coming back
// then would write to a destroyed object; this one the runtime never destroys. The library gives
// its memory back as it is unloaded (Release), when none of its workers runs any more; a process
// that ends leaves it to the system.
template <class T>
union Lasting {
    constexpr Lasting() : value() {}
    ~Lasting() {}
    Lasting(const Lasting&) = delete;
    Lasting& operator=(const Lasting&) = delete;
    void Release() noexcept { T().swap(value); }
    T value;
};

inline std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string Utf16(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}
inline std::u16string Utf16(const std::wstring& text) { return Utf16(text.data(), text.size()); }
inline std::u16string Utf16(const wchar_t* text) { return Utf16(text, wcslen(text)); }
// The same text, read in place: for the rules that read UTF-16 text, such as paths/.
inline std::u16string_view Utf16View(const std::wstring& text) {
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

// The run-time error that a failed system call stands for (53 for a missing file, 71 for a drive
// without a medium, and so on).
RuntimeError ErrorFromWin32(DWORD code);
[[noreturn]] void RaiseWin32(DWORD code);
[[noreturn]] inline void RaiseLastError() { RaiseWin32(::GetLastError()); }

}  // namespace selvane::win32

namespace selvane::win32 {

// The module this code lives in: the program, or the control's library.
HINSTANCE ThisModule();

// The screen colour of a colour value, system colours included; an invalid one fails with 380.
COLORREF TranslateColor(std::uint32_t color);

// Whether the system's high-contrast mode is on. Asked at each drawing: a child window of a
// container hears of no change of the mode, only its top-level window does.
bool HighContrastOn();

// The screen colour drawn for a role given the colour set for it (appearance/colors.h). Never
// fails: a set colour that no longer translates gives the system's colour for the role.
COLORREF DrawnRgb(ColorRole role, Color set, bool high_contrast);

// Draws the window and its children again when the system's colours or its high-contrast mode
// change; true when the message was one of those.
bool RedrawOnColorChange(HWND window, UINT message, WPARAM wparam);

// The object behind a window of one of this module's classes: handed to CreateWindowEx as its
// last argument, kept from WM_NCCREATE on in the window's extra bytes (the class registers
// kOwnerBytes of them), never in its user data, which a host that walks its form's windows may
// take for its own. Null before that, and after ForgetWindowOwner.
inline constexpr int kOwnerBytes = sizeof(LONG_PTR);
template <class Owner>
Owner* WindowOwner(HWND window, UINT message, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        ::SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    return reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, 0));
}
inline void ForgetWindowOwner(HWND window) { ::SetWindowLongPtrW(window, 0, 0); }

// Registers a window class of this module once; later calls find it registered. The name must
// outlive the registration (a constant).
void RegisterWindowClass(const wchar_t* name, WNDPROC window_proc, HBRUSH background = nullptr, int extra_bytes = 0);
// Unregisters every class RegisterWindowClass registered, as a library does when it is
// unloaded: its classes would otherwise outlive its window procedures. No window of them may
// be left.
void UnregisterWindowClasses() noexcept;

// The resolution a window is shown at (96 is 100 %): its monitor's in a host aware of each
// monitor's scale (GetDpiForWindow, where the system has it), the screen's otherwise.
int WindowDpi(HWND window);

// The face of the system's message font, which children and forms start from.
LOGFONTW MessageFont();

// Skipped failures go to the debugger's output (OutputDebugStringW; Wine 8 shows it with
// WINEDEBUG=warn+seh) when the environment variable SELVANE_TRACE is set to anything but 0,
// or the DWORD value Trace under HKEY_CURRENT_USER\Software\Selvane is not 0. Read once.
void ListenToTracesWhenAsked();

}  // namespace selvane::win32
