// IOleObject: the container's site, verbs, extent and advise sinks.
#include <olectl.h>

#include "control/com/module.h"
#include "control/com/selvane_control.h"

namespace selvane::com {
namespace {

constexpr int kHimetricPerInch = 2540;

int HimetricToPixels(LONG himetric, int dpi) { return ::MulDiv(himetric, dpi, kHimetricPerInch); }
LONG PixelsToHimetric(int pixels, int dpi) { return ::MulDiv(pixels, kHimetricPerInch, dpi); }


}  // namespace

STDMETHODIMP SelvaneControl::SetClientSite(IOleClientSite* site) noexcept {
    client_site_ = site;
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetClientSite(IOleClientSite** site) noexcept {
    if (!site) return E_POINTER;
    *site = client_site_.get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP SelvaneControl::SetHostNames(LPCOLESTR, LPCOLESTR) noexcept { return S_OK; }

STDMETHODIMP SelvaneControl::Close(DWORD save_option) noexcept {
    Call call(*this);
    if (client_site_ && dirty_ &&
        (save_option == OLECLOSE_SAVEIFDIRTY || save_option == OLECLOSE_PROMPTSAVE)) {
        client_site_->SaveObject();
    }
    InPlaceDeactivate();
    if (advise_holder_) advise_holder_->SendOnClose();
    return S_OK;
}

STDMETHODIMP SelvaneControl::SetMoniker(DWORD, IMoniker*) noexcept { return E_NOTIMPL; }

STDMETHODIMP SelvaneControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept {
    if (!moniker) return E_POINTER;
    *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP SelvaneControl::InitFromData(IDataObject*, BOOL, DWORD) noexcept { return E_NOTIMPL; }

STDMETHODIMP SelvaneControl::GetClipboardData(DWORD, IDataObject** data) noexcept {
    if (!data) return E_POINTER;
    *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP SelvaneControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) noexcept {
    Call call(*this);
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
        return Activate(site, parent, position, true);
    case OLEIVERB_INPLACEACTIVATE:
        return Activate(site, parent, position, false);
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (in_place_active_) ::ShowWindow(win32_.surface.hwnd(), SW_HIDE);
        return S_OK;
    default:
        // Any other positive verb acts as the primary one; the control has no verbs of its own.
        if (verb > 0) {
            const HRESULT hr = Activate(site, parent, position, true);
            return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
        }
        return E_NOTIMPL;
    }
}

// No verbs are registered, and containers are told so as the interface says: Wine's
// OleRegEnumVerbs answers that the key is missing instead.
STDMETHODIMP SelvaneControl::EnumVerbs(IEnumOLEVERB** verbs) noexcept {
    const HRESULT hr = ::OleRegEnumVerbs(CLSID_Selvane, verbs);
    return hr == REGDB_E_KEYMISSING ? OLEOBJ_E_NOVERBS : hr;
}

STDMETHODIMP SelvaneControl::Update() noexcept { return S_OK; }

STDMETHODIMP SelvaneControl::IsUpToDate() noexcept { return S_OK; }

STDMETHODIMP SelvaneControl::GetUserClassID(CLSID* clsid) noexcept {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Selvane;
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetUserType(DWORD form, LPOLESTR* name) noexcept {
    return ::OleRegGetUserType(CLSID_Selvane, form, name);
}

STDMETHODIMP SelvaneControl::SetExtent(DWORD aspect, SIZEL* size) noexcept {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    if (size->cx <= 0 || size->cy <= 0) return E_INVALIDARG;
    Call call(*this);
    extent_ = *size;
    // In place, the container moves the window through SetObjectRects; until then the hidden
    // window takes the size, so that drawing and the layout follow it.
    if (!in_place_active_) {
        const HRESULT hr = Guard(IID_IOleObject, [&] {
            const int dpi = win32::WindowDpi(win32_.surface.hwnd());
            ApplyPixelSize(HimetricToPixels(size->cx, dpi), HimetricToPixels(size->cy, dpi));
        });
        RETURN_IF_FAILED(hr);
    }
    NotifyViewChanged();
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetExtent(DWORD aspect, SIZEL* size) noexcept {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = extent_;
    return S_OK;
}

STDMETHODIMP SelvaneControl::Advise(IAdviseSink* sink, DWORD* connection) noexcept {
    if (!connection) return E_POINTER;
    *connection = 0;
    if (!advise_holder_) RETURN_IF_FAILED(::CreateOleAdviseHolder(advise_holder_.put()));
    return advise_holder_->Advise(sink, connection);
}

STDMETHODIMP SelvaneControl::Unadvise(DWORD connection) noexcept {
    if (!advise_holder_) return OLE_E_NOCONNECTION;
    return advise_holder_->Unadvise(connection);
}

STDMETHODIMP SelvaneControl::EnumAdvise(IEnumSTATDATA** advise) noexcept {
    if (!advise) return E_POINTER;
    *advise = nullptr;
    if (!advise_holder_) return S_FALSE;
    return advise_holder_->EnumAdvise(advise);
}

STDMETHODIMP SelvaneControl::GetMiscStatus(DWORD, DWORD* status) noexcept {
    if (!status) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

STDMETHODIMP SelvaneControl::SetColorScheme(LOGPALETTE*) noexcept { return E_NOTIMPL; }

void SelvaneControl::ApplyPixelSize(int width, int height) {
    win32_.surface.SetPixelSize(width, height);
    logic_.Resize();
}

void SelvaneControl::TakeExtentFromWindow() {
    const SIZEL pixels = PixelSize();
    // At the resolution the window is shown at, as the container converts its own pixels.
    const int dpi = win32::WindowDpi(win32_.surface.hwnd());
    extent_.cx = PixelsToHimetric(pixels.cx, dpi);
    extent_.cy = PixelsToHimetric(pixels.cy, dpi);
}

SIZEL SelvaneControl::PixelSize() const {
    RECT place{};
    ::GetWindowRect(win32_.surface.hwnd(), &place);
    return SIZEL{place.right - place.left, place.bottom - place.top};
}

}  // namespace selvane::com
