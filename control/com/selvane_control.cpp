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
    const HRESULT loaded = LoadTypeInfo(IID__Selvane, type_info_.put());
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
    if (accelerators_) ::DestroyAcceleratorTable(accelerators_);
    UnlockModule();
}

STDMETHODIMP SelvaneControl::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch) || ::IsEqualIID(iid, IID__Selvane)) {
        *object = static_cast<_Selvane*>(this);
    } else if (::IsEqualIID(iid, IID_IProvideClassInfo) || ::IsEqualIID(iid, IID_IProvideClassInfo2)) {
        *object = static_cast<IProvideClassInfo2*>(this);
    } else if (::IsEqualIID(iid, IID_ISupportErrorInfo)) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else if (::IsEqualIID(iid, IID_IConnectionPointContainer)) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else if (::IsEqualIID(iid, IID_IOleObject)) {
        *object = static_cast<IOleObject*>(this);
    } else if (::IsEqualIID(iid, IID_IOleWindow) || ::IsEqualIID(iid, IID_IOleInPlaceObject)) {
        *object = static_cast<IOleInPlaceObject*>(this);
    } else if (::IsEqualIID(iid, IID_IOleInPlaceActiveObject)) {
        *object = static_cast<IOleInPlaceActiveObject*>(this);
    } else if (::IsEqualIID(iid, IID_IOleControl)) {
        *object = static_cast<IOleControl*>(this);
    } else if (::IsEqualIID(iid, IID_IViewObject) || ::IsEqualIID(iid, IID_IViewObject2)) {
        *object = static_cast<IViewObject2*>(this);
    } else if (::IsEqualIID(iid, IID_IPersist) || ::IsEqualIID(iid, IID_IPersistStreamInit) ||
               ::IsEqualIID(iid, IID_IPersistStream)) {
        // IPersistStream's methods are the first ones of IPersistStreamInit, in the same order.
        *object = static_cast<IPersistStreamInit*>(this);
    } else if (::IsEqualIID(iid, IID_IPersistPropertyBag)) {
        *object = static_cast<IPersistPropertyBag*>(this);
    } else if (::IsEqualIID(iid, IID_IPersistStorage)) {
        *object = static_cast<IPersistStorage*>(this);
    } else if (::IsEqualIID(iid, IID_IQuickActivate)) {
        *object = static_cast<IQuickActivate*>(this);
    } else {
        // IObjectSafety among them: the control reads the file system, so it is safe neither
        // for scripting nor for initialisation from untrusted data.
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) SelvaneControl::AddRef() { return static_cast<ULONG>(++refs_); }

STDMETHODIMP_(ULONG) SelvaneControl::Release() {
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
