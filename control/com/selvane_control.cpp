// The control object's identity and lifetime.
#include "control/com/selvane_control.h"

#include <commctrl.h>

#include "control/com/module.h"

namespace selvane::com {

HRESULT CreateSelvaneControl(REFIID iid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    // The tool tips need the common controls, which a host such as a script host never loads.
    static const bool common_controls = [] {
        INITCOMMONCONTROLSEX classes{};
        classes.dwSize = sizeof(classes);
        classes.dwICC = ICC_WIN95_CLASSES;
        return ::InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)common_controls;
    SelvaneControl* control = nullptr;
    const HRESULT created = Guard(IID_IUnknown, [&] { control = new SelvaneControl(); });
    if (FAILED(created)) return created;
    const HRESULT hr = control->QueryInterface(iid, object);
    control->Release();
    return hr;
}

SelvaneControl::SelvaneControl()
    : win32_(nullptr),
      logic_(win32_.Bind(*this)),
      events_(*this, DIID___Selvane, ConnectionPoint::Kind::kDispinterface),
      notifications_(*this, IID_IPropertyNotifySink) {
    const HRESULT loaded = LoadTypeInfo(LibraryType::kSelvaneInterface, type_info_.put());
    if (FAILED(loaded)) throw RuntimeError(errc::kIllegalFunctionCall, u"The control's type library can't be loaded");
    // The children exist from now on, hidden until a container shows the control, so a host
    // that never shows it still gets every member's full behaviour.
    logic_.Initialize();
    win32_.surface.SetMessageScope(this);
    win32_.surface.SetFocusEntered([this] { OnFocusEntered(); });
    TakeExtentFromWindow();
    LockModule();
}

SelvaneControl::~SelvaneControl() {
    win32_.surface.SetMessageScope(nullptr);
    win32_.surface.SetFocusEntered(nullptr);
    events_.Clear();
    notifications_.Clear();
    UnlockModule();
}

namespace {

template <class Interface>
IUnknown* AsInterface(SelvaneControl* control) {
    return static_cast<Interface*>(control);
}

// Each interface the object answers for, and the base that implements it. IUnknown comes first:
// it must always give the same pointer. IPersistStream's methods are the first ones of
// IPersistStreamInit, in the same order. IObjectSafety is not among them: the control reads
// the file system, so it is safe neither for scripting nor for initialisation from untrusted
// data.
struct InterfaceEntry {
    const IID* iid;
    IUnknown* (*cast)(SelvaneControl*);
};
const InterfaceEntry kInterfaces[] = {
    {&IID_IUnknown, &AsInterface<_Selvane2>},
    {&IID_IDispatch, &AsInterface<_Selvane2>},
    {&IID__Selvane, &AsInterface<_Selvane2>},
    {&IID__Selvane2, &AsInterface<_Selvane2>},
    {&IID_IProvideClassInfo, &AsInterface<IProvideClassInfo2>},
    {&IID_IProvideClassInfo2, &AsInterface<IProvideClassInfo2>},
    {&IID_ISupportErrorInfo, &AsInterface<ISupportErrorInfo>},
    {&IID_IConnectionPointContainer, &AsInterface<IConnectionPointContainer>},
    {&IID_IOleObject, &AsInterface<IOleObject>},
    {&IID_IOleWindow, &AsInterface<IOleInPlaceObject>},
    {&IID_IOleInPlaceObject, &AsInterface<IOleInPlaceObject>},
    {&IID_IOleInPlaceActiveObject, &AsInterface<IOleInPlaceActiveObject>},
    {&IID_IOleControl, &AsInterface<IOleControl>},
    {&IID_IViewObject, &AsInterface<IViewObject2>},
    {&IID_IViewObject2, &AsInterface<IViewObject2>},
    {&IID_IPersist, &AsInterface<IPersistStreamInit>},
    {&IID_IPersistStream, &AsInterface<IPersistStreamInit>},
    {&IID_IPersistStreamInit, &AsInterface<IPersistStreamInit>},
    {&IID_IPersistPropertyBag, &AsInterface<IPersistPropertyBag>},
    {&IID_IPersistStorage, &AsInterface<IPersistStorage>},
    {&IID_IQuickActivate, &AsInterface<IQuickActivate>},
};

}  // namespace

STDMETHODIMP SelvaneControl::QueryInterface(REFIID iid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const InterfaceEntry& entry : kInterfaces) {
        if (::IsEqualIID(iid, *entry.iid)) {
            IUnknown* found = entry.cast(this);
            found->AddRef();
            *object = found;
            return S_OK;
        }
    }
    return UnknownIdentifier(u"QueryInterface: unknown interface", iid);
}

STDMETHODIMP_(ULONG) SelvaneControl::AddRef() noexcept { return static_cast<ULONG>(++refs_); }

STDMETHODIMP_(ULONG) SelvaneControl::Release() noexcept {
    const LONG refs = --refs_;
    if (refs == 0 && calls_ == 0) {
        // Steady against references taken and dropped while the object goes.
        refs_ = 1;
        delete this;
    }
    return static_cast<ULONG>(refs);
}

void SelvaneControl::LeaveCall() {
    if (--calls_ == 0 && refs_ == 0) {
        refs_ = 1;
        delete this;
    }
}

}  // namespace selvane::com
