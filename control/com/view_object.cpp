// IViewObject2: the control draws itself into a container's DC, also before it is active.
#include "control/com/selvane_control.h"

namespace selvane::com {

STDMETHODIMP SelvaneControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                                  LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) noexcept {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    Call call(*this);
    // Drawn at the window's own size, then stretched to the bounds the container asks for.
    const SIZEL size = PixelSize();
    win32::UniqueMemoryDC memory;
    win32::UniqueBitmap bitmap;
    {
        const win32::WindowDC screen(nullptr);
        memory.reset(::CreateCompatibleDC(screen.get()));
        bitmap.reset(::CreateCompatibleBitmap(screen.get(), size.cx, size.cy));
    }
    if (!memory || !bitmap) return E_OUTOFMEMORY;
    const win32::SelectedObject drawn_into(memory.get(), bitmap.get());
    win32_.surface.Print(memory.get());
    const int mode = ::SetStretchBltMode(dc, HALFTONE);
    const BOOL stretched = ::StretchBlt(dc, bounds->left, bounds->top, bounds->right - bounds->left,
                                        bounds->bottom - bounds->top, memory.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    ::SetStretchBltMode(dc, mode);
    return stretched ? S_OK : E_FAIL;
}

STDMETHODIMP SelvaneControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) noexcept {
    if (!colors) return E_POINTER;
    *colors = nullptr;
    return S_FALSE;
}

STDMETHODIMP SelvaneControl::Freeze(DWORD, LONG, void*, DWORD* freeze) noexcept {
    if (freeze) *freeze = 0;
    return E_NOTIMPL;
}

STDMETHODIMP SelvaneControl::Unfreeze(DWORD) noexcept { return E_NOTIMPL; }

STDMETHODIMP SelvaneControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) noexcept {
    view_sink_ = sink;
    view_aspects_ = aspects;
    view_flags_ = flags;
    if (sink && (flags & ADVF_PRIMEFIRST)) NotifyViewChanged();
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) noexcept {
    if (aspects) *aspects = view_aspects_;
    if (flags) *flags = view_flags_;
    if (sink) {
        *sink = view_sink_.get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) noexcept {
    return GetExtent(aspect, size);
}

void SelvaneControl::NotifyViewChanged() {
    if (!view_sink_ || (view_aspects_ & DVASPECT_CONTENT) == 0) return;
    ComPtr<IAdviseSink> sink = view_sink_;
    if (view_flags_ & ADVF_ONLYONCE) view_sink_.reset();
    sink->OnViewChange(DVASPECT_CONTENT, -1);
}

}  // namespace selvane::com
