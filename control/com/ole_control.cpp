// IOleControl: the mnemonic table ("&All" answers to Alt+A), ambient changes, frozen events.
#include <cwctype>

#include "control/com/selvane_control.h"

namespace selvane::com {
namespace {

// The access key of a caption ("&All" -> 'A'), or 0.
WORD AccessKey(HWND button) {
    wchar_t caption[64] = {};
    ::GetWindowTextW(button, caption, 64);
    for (const wchar_t* c = caption; *c; ++c) {
        // A letter's virtual key is its capital.
        if (c[0] == L'&' && c[1] != L'\0' && c[1] != L'&') return static_cast<WORD>(std::towupper(c[1]));
    }
    return 0;
}

}  // namespace

STDMETHODIMP SelvaneControl::GetControlInfo(CONTROLINFO* info) noexcept {
    if (!info) return E_POINTER;
    if (info->cb < sizeof(CONTROLINFO)) return E_INVALIDARG;
    const WORD key = AccessKey(win32_.surface.ChildWindowOf(u"Command1"));
    if (!accelerators_ && key != 0) {
        ACCEL alt_key{};
        alt_key.fVirt = FALT | FVIRTKEY;
        alt_key.key = key;
        alt_key.cmd = 1;
        accelerators_.reset(::CreateAcceleratorTableW(&alt_key, 1));
    }
    info->hAccel = accelerators_.get();
    info->cAccel = accelerators_ ? 1 : 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP SelvaneControl::OnMnemonic(LPMSG message) noexcept {
    if (!message) return E_POINTER;
    Call call(*this);
    // The container matched its message against the table; the surface presses the button
    // whose access key it is.
    MSG as_char = *message;
    as_char.hwnd = win32_.surface.hwnd();
    if (message->message == WM_SYSKEYDOWN || message->message == WM_KEYDOWN) {
        as_char.message = WM_SYSCHAR;
        as_char.wParam = static_cast<WPARAM>(::MapVirtualKeyW(static_cast<UINT>(message->wParam), MAPVK_VK_TO_CHAR));
    }
    return win32_.surface.TranslateKeyboard(as_char) ? S_OK : S_FALSE;
}

STDMETHODIMP SelvaneControl::OnAmbientPropertyChange(DISPID) noexcept { return S_OK; }

STDMETHODIMP SelvaneControl::FreezeEvents(BOOL freeze) noexcept {
    if (freeze) {
        ++frozen_events_;
    } else if (frozen_events_ > 0) {
        --frozen_events_;
    }
    return S_OK;
}

}  // namespace selvane::com
