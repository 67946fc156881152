// IConnectionPointContainer, and the logic's events and notifications on their way out: Click
// and DblClick to the __Selvane sinks, property changes to the IPropertyNotifySink sinks,
// settings skipped while loading to the container's error log.
#include "control/com/selvane_control.h"

#include "control/com/event_ids.h"
#include "win32/win32_base.h"

namespace selvane::com {

STDMETHODIMP SelvaneControl::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept {
    return EnumerateConnectionPoints({&events_, &notifications_}, points);
}

STDMETHODIMP SelvaneControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (::IsEqualIID(iid, DIID___Selvane)) {
        *point = &events_;
    } else if (::IsEqualIID(iid, IID_IPropertyNotifySink)) {
        *point = &notifications_;
    } else {
        return UnknownIdentifier(u"FindConnectionPoint: unknown interface", iid, CONNECT_E_NOCONNECTION);
    }
    (*point)->AddRef();
    return S_OK;
}

void SelvaneControl::RaiseClick() { RaiseEvent(kClickEvent); }

void SelvaneControl::RaiseDblClick() { RaiseEvent(kDblClickEvent); }

// Every connected sink hears the event, even when one of them fails (its failure leaves a trace
// line); a handler may call back into the control, connect, disconnect or release it.
void SelvaneControl::RaiseEvent(DISPID id) {
    if (frozen_events_ > 0) return;
    Call call(*this);
    DISPPARAMS none{};
    for (const ComPtr<IDispatch>& sink : events_.Sinks<IDispatch>()) {
        Traced(sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
               id == kClickEvent ? u"an event sink's Invoke of Click" : u"an event sink's Invoke of DblClick");
    }
}

void SelvaneControl::PropertyChanged(const host::Property& property) {
    SetDirty(true);
    for (const ComPtr<IPropertyNotifySink>& sink : notifications_.Sinks<IPropertyNotifySink>()) {
        Traced(sink->OnChanged(property.dispatch_id), u"a property notify sink's OnChanged");
    }
    NotifyViewChanged();
}

void SelvaneControl::ReportLoadError(const std::u16string& key, const RuntimeError& error) {
    if (!load_log_) return;
    EXCEPINFO info{};
    info.scode = HResultOf(error.code());
    const win32::Bstr source(L"Selvane_OCX.Selvane");
    const win32::Bstr description(win32::Wide(error.description()));
    info.bstrSource = source.get();
    info.bstrDescription = description.get();
    const std::wstring wide = win32::Wide(key);
    Traced(load_log_->AddError(wide.c_str(), &info), u"the container's error log's AddError");
}

}  // namespace selvane::com
