// IOleWindow, IOleInPlaceObject and IOleInPlaceActiveObject: the control's window inside the
// container's, and the keyboard while it is the active object.
#include "control/com/selvane_control.h"

namespace selvane::com {

HRESULT SelvaneControl::Activate(IOleClientSite* site, HWND parent, LPCRECT position, bool ui_activate) {
    if (!client_site_ && site) client_site_ = site;
    if (!in_place_active_) {
        if (!client_site_) return E_UNEXPECTED;
        ComPtr<IOleInPlaceSite> in_place;
        if (FAILED(client_site_.As(&in_place))) return E_NOINTERFACE;
        if (in_place->CanInPlaceActivate() != S_OK) return E_FAIL;
        RETURN_IF_FAILED(in_place->OnInPlaceActivate());
        in_place_site_ = in_place;

        HWND container = nullptr;
        if (FAILED(in_place_site_->GetWindow(&container)) || !container) container = parent;
        OLEINPLACEFRAMEINFO frame_info{};
        frame_info.cb = sizeof(frame_info);
        RECT place{};
        RECT clip{};
        in_place_site_->GetWindowContext(frame_.put(), document_.put(), &place, &clip, &frame_info);
        if (position) place = *position;
        const HRESULT placed = Guard(IID_IOleInPlaceObject, [&] {
            win32_.surface.Place(container, place);
            logic_.Resize();
        });
        if (FAILED(placed)) {
            frame_.reset();
            document_.reset();
            in_place_site_->OnInPlaceDeactivate();
            in_place_site_.reset();
            return placed;
        }
        in_place_active_ = true;
    } else if (!::IsWindowVisible(win32_.surface.hwnd())) {
        // Shown again after OLEIVERB_HIDE.
        ::ShowWindow(win32_.surface.hwnd(), SW_SHOWNA);
    }
    if (ui_activate && !ui_active_) {
        EnterUIActive();
        const HWND surface = win32_.surface.hwnd();
        HWND focus = ::GetFocus();
        if (focus != surface && !::IsChild(surface, focus)) {
            if (HWND first = ::GetNextDlgTabItem(surface, nullptr, FALSE)) ::SetFocus(first);
        }
    }
    return S_OK;
}

// The control becomes the container's active object: its keys come to TranslateAccelerator.
void SelvaneControl::EnterUIActive() {
    ui_active_ = true;
    in_place_site_->OnUIActivate();
    if (frame_) frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Selvane");
    if (document_) document_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"Selvane");
}

// A container that tabs into the control by focusing its window makes it UI-active too.
void SelvaneControl::OnFocusEntered() {
    if (in_place_active_ && !ui_active_ && in_place_site_) EnterUIActive();
}

STDMETHODIMP SelvaneControl::GetWindow(HWND* window) noexcept {
    if (!window) return E_POINTER;
    *window = in_place_active_ ? win32_.surface.hwnd() : nullptr;
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP SelvaneControl::ContextSensitiveHelp(BOOL) noexcept { return E_NOTIMPL; }

STDMETHODIMP SelvaneControl::InPlaceDeactivate() noexcept {
    if (!in_place_active_) return S_OK;
    Call call(*this);
    UIDeactivate();
    in_place_active_ = false;
    win32_.surface.Withdraw();
    ComPtr<IOleInPlaceSite> site = std::move(in_place_site_);
    frame_.reset();
    document_.reset();
    site->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP SelvaneControl::UIDeactivate() noexcept {
    if (!ui_active_) return S_OK;
    Call call(*this);
    ui_active_ = false;
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    if (document_) document_->SetActiveObject(nullptr, nullptr);
    if (in_place_site_) in_place_site_->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP SelvaneControl::SetObjectRects(LPCRECT position, LPCRECT) noexcept {
    if (!position) return E_POINTER;
    if (!in_place_active_) return E_UNEXPECTED;
    Call call(*this);
    const HWND container = ::GetAncestor(win32_.surface.hwnd(), GA_PARENT);
    return Guard(IID_IOleInPlaceObject, [&] {
        win32_.surface.Place(container, *position);
        logic_.Resize();
    });
}

STDMETHODIMP SelvaneControl::ReactivateAndUndo() noexcept { return INPLACE_E_NOTUNDOABLE; }

// Keys the control has no use for, Tab past its last child among them, go to the container's
// IOleControlSite, so that a container without a dialog manager of its own moves its focus.
STDMETHODIMP SelvaneControl::TranslateAccelerator(LPMSG message) noexcept {
    if (!message) return E_POINTER;
    Call call(*this);
    if (win32_.surface.TranslateKeyboard(*message)) return S_OK;
    ComPtr<IOleControlSite> control_site;
    if (!client_site_ || FAILED(client_site_.As(&control_site))) return S_FALSE;
    // KEYMOD_SHIFT, KEYMOD_CONTROL and KEYMOD_ALT, which the mingw-w64 headers lack.
    const DWORD modifiers = (::GetKeyState(VK_SHIFT) < 0 ? 1u : 0u) | (::GetKeyState(VK_CONTROL) < 0 ? 2u : 0u) |
                            (::GetKeyState(VK_MENU) < 0 ? 4u : 0u);
    return control_site->TranslateAccelerator(message, modifiers) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP SelvaneControl::OnFrameWindowActivate(BOOL) noexcept { return S_OK; }

STDMETHODIMP SelvaneControl::OnDocWindowActivate(BOOL) noexcept { return S_OK; }

STDMETHODIMP SelvaneControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept { return S_OK; }

STDMETHODIMP SelvaneControl::EnableModeless(BOOL) noexcept { return S_OK; }

}  // namespace selvane::com
