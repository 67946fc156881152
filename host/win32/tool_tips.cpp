#include "host/win32/tool_tips.h"

#include <commctrl.h>

namespace selvane::win32 {
namespace {

// What a watched window keeps: its own window procedure and where its mouse messages go.
struct Watched {
    WNDPROC original;
    HWND tips;
};

// The record lives in the window's user data, which the system's control classes leave alone.
// (The common controls' own subclassing looks up a window property at every message, which
// under Wine is a trip to the window server: the file list, which gets a message per entry,
// filled twenty times slower with it.)

TOOLINFOW ToolFor(HWND owner, HWND window) {
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(window);
    return info;
}

}  // namespace

ToolTips::ToolTips(HWND owner)
    : owner_(owner),
      tips_(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              ThisModule(), nullptr)) {
    if (!tips_) RaiseLastError();
}

void ToolTips::Watch(HWND window) {
    if (::GetWindowLongPtrW(window, GWLP_USERDATA) != 0) return;
    auto* watched = new Watched{nullptr, tips_.get()};
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(watched));
    watched->original =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RelayProc)));
}

LRESULT CALLBACK ToolTips::RelayProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* watched = reinterpret_cast<Watched*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    const WNDPROC original = watched->original;
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG relayed{window, message, wparam, lparam, static_cast<DWORD>(::GetMessageTime()), {}};
        const DWORD at = ::GetMessagePos();
        relayed.pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
        ::SendMessageW(watched->tips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete watched;
    }
    return ::CallWindowProcW(original, window, message, wparam, lparam);
}

void ToolTips::Set(HWND window, const std::u16string& text) {
    TOOLINFOW info = ToolFor(owner_, window);
    const bool present = ::SendMessageW(tips_.get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    info = ToolFor(owner_, window);
    if (text.empty()) {
        if (present) ::SendMessageW(tips_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        return;
    }
    std::wstring wide = Wide(text);
    info.lpszText = wide.data();
    if (present) {
        ::SendMessageW(tips_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    } else if (!::SendMessageW(tips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info))) {
        Raise(errc::kOutOfMemory);
    }
}

std::u16string ToolTips::Text(HWND window) const {
    TOOLINFOW info = ToolFor(owner_, window);
    if (!::SendMessageW(tips_.get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info))) return u"";
    wchar_t buffer[512] = {};
    info = ToolFor(owner_, window);
    info.lpszText = buffer;
    ::SendMessageW(tips_.get(), TTM_GETTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    return Utf16(buffer);
}

}  // namespace selvane::win32
