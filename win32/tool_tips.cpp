#include "win32/tool_tips.h"

#include <commctrl.h>

#include "win32/message_hooks.h"

namespace selvane::win32 {
namespace {

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
    HookMessages(window, [tips = tips_.get()](HWND watched, UINT message, WPARAM wparam, LPARAM lparam,
                                              const PassOn& pass_on) {
        if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
            MSG relayed{watched, message, wparam, lparam, static_cast<DWORD>(::GetMessageTime()), {}};
            const DWORD at = ::GetMessagePos();
            relayed.pt = {static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
            ::SendMessageW(tips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
        }
        return pass_on();
    });
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
