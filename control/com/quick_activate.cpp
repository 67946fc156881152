// IQuickActivate: a container's whole set-up of the control in one call.
#include "control/com/module.h"
#include "control/com/selvane_control.h"

namespace selvane::com {

STDMETHODIMP SelvaneControl::QuickActivate(QACONTAINER* container, QACONTROL* control) noexcept {
    if (!container || !control) return E_POINTER;
    if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
    Call call(*this);
    if (container->pClientSite) RETURN_IF_FAILED(SetClientSite(container->pClientSite));
    if (container->pAdviseSink) RETURN_IF_FAILED(SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink));
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    if (container->pUnkEventSink) events_.Advise(container->pUnkEventSink, &control->dwEventCookie);
    if (container->pPropertyNotifySink) {
        notifications_.Advise(container->pPropertyNotifySink, &control->dwPropNotifyCookie);
    }
    control->dwMiscStatus = kMiscStatus;
    control->dwViewStatus = VIEWSTATUS_OPAQUE;
    control->dwPointerActivationPolicy = 0;
    return S_OK;
}

STDMETHODIMP SelvaneControl::SetContentExtent(LPSIZEL size) noexcept { return SetExtent(DVASPECT_CONTENT, size); }

STDMETHODIMP SelvaneControl::GetContentExtent(LPSIZEL size) noexcept { return GetExtent(DVASPECT_CONTENT, size); }

}  // namespace selvane::com
