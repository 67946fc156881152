// The Selvane control as a COM object: one object that owns the control's logic, its windows
// and its container's site, behind every interface a container talks to. The methods of each
// interface live in a file of their own; this one holds identity, lifetime and the site.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>

#include "control/com/com_base.h"
#include "control/com/connection_points.h"
#include "control/com/selvane_h.h"
#include "control/members.h"
#include "control/selvane.h"
#include "host/win32/win32_host.h"

namespace selvane::com {

// A new control, initialised and ready for InitNew or Load, queried for iid.
HRESULT CreateSelvaneControl(REFIID iid, void** object) noexcept;

class SelvaneControl final : public _Selvane,
                             public IProvideClassInfo2,
                             public ISupportErrorInfo,
                             public IConnectionPointContainer,
                             public IOleObject,
                             public IOleInPlaceObject,
                             public IOleInPlaceActiveObject,
                             public IOleControl,
                             public IViewObject2,
                             public IPersistStreamInit,
                             public IPersistPropertyBag,
                             public IPersistStorage,
                             public IQuickActivate,
                             private host::Site,
                             private win32::MessageScope {
public:
    SelvaneControl();
    ~SelvaneControl();
    SelvaneControl(const SelvaneControl&) = delete;
    SelvaneControl& operator=(const SelvaneControl&) = delete;

    // IUnknown (selvane_control.cpp)
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch and _Selvane (dispatch.cpp)
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argument_error) override;
    STDMETHODIMP GetPath(BSTR* path) override;
    STDMETHODIMP FileSelected(VARIANT_BOOL* selected) override;
    STDMETHODIMP PathOnly(BSTR str, BSTR* directory) override;
    STDMETHODIMP FileExists(BSTR str, VARIANT_BOOL* exists) override;
    STDMETHODIMP DirExists(BSTR str, VARIANT_BOOL* exists) override;
    STDMETHODIMP RefreshFiles() override;
    // get_ and put_ for every property of the member table (control/members.h).
#define SELVANE_DECLARE_PROPERTY(name, id, kind, initial)                          \
    STDMETHODIMP get_##name(ComValue<host::ValueKind::k##kind>::Type* out) override; \
    STDMETHODIMP put_##name(ComValue<host::ValueKind::k##kind>::Type in) override;
    SELVANE_PROPERTIES(SELVANE_DECLARE_PROPERTY)
#undef SELVANE_DECLARE_PROPERTY
    STDMETHODIMP AboutBox() override;
    STDMETHODIMP Refresh() override;

    // IProvideClassInfo2 and ISupportErrorInfo (class_info.cpp)
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

    // IConnectionPointContainer (events.cpp)
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IOleObject (ole_object.cpp)
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR application, LPCOLESTR document) override;
    STDMETHODIMP Close(DWORD save_option) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* name) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject and IOleInPlaceActiveObject (in_place.cpp)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl (ole_control.cpp)
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(LPMSG message) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2 (view_object.cpp)
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* device, HDC target_dc, HDC dc,
                      LPCRECTL bounds, LPCRECTL window_bounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                      ULONG_PTR cont_argument) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* device, HDC target_dc,
                             LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspect_info, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag and IPersistStorage (persist.cpp)
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clear_dirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL same_as_load) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;

    // IQuickActivate (quick_activate.cpp)
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) override;

private:
    // host::Site: the logic's events and notifications, out to the container (events.cpp).
    void PropertyChanged(const host::Property& property) override;
    void RaiseClick() override;
    void RaiseDblClick() override;
    void ReportLoadError(const std::u16string& key, const RuntimeError& error) override;
    void RaiseEvent(DISPID id);

    // win32::MessageScope: user input that reaches the logic counts as a call in progress.
    void EnterMessage() override { ++calls_; }
    void LeaveMessage() override { LeaveCall(); }

    // A call into the control: a final release during it (from an event handler) puts the
    // destruction off until the outermost call returns.
    class Call {
    public:
        explicit Call(SelvaneControl& control) : control_(control) { ++control_.calls_; }
        ~Call() { control_.LeaveCall(); }
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        SelvaneControl& control_;
    };
    void LeaveCall();
    // Runs a member of _Selvane: a failure becomes its HRESULT with error information. A host
    // that calls members without starting the control first (a script host creates it and
    // calls it at once) gets a new instance's settings, as InitNew gives them.
    template <class Action>
    HRESULT Member(Action&& action, const char* function = __builtin_FUNCTION(), const char* file = __builtin_FILE(),
                   int line = __builtin_LINE()) noexcept {
        Call call(*this);
        if (!started_) StartNew();
        return Guard(IID__Selvane, std::forward<Action>(action), function, file, line);
    }

    // Lifecycle steps shared by the persistence interfaces (persist.cpp).
    HRESULT StartNew();
    HRESULT LoadFrom(host::PropertyBag& bag, IErrorLog* log);
    HRESULT LoadRecord(IStream* stream);
    void SetDirty(bool dirty);

    // Size and placement (ole_object.cpp, in_place.cpp).
    HRESULT Activate(IOleClientSite* site, HWND parent, LPCRECT position, bool ui_activate);
    void EnterUIActive();
    void OnFocusEntered();
    void ApplyPixelSize(int width, int height);
    SIZEL PixelSize() const;
    // The extent (HIMETRIC) of the window's present size.
    void TakeExtentFromWindow();
    void NotifyViewChanged();

    LONG refs_ = 1;
    int calls_ = 0;

    win32::Win32Host win32_;
    Selvane logic_;
    ComPtr<ITypeInfo> type_info_;

    ConnectionPoint events_;
    ConnectionPoint notifications_;

    ComPtr<IOleClientSite> client_site_;
    ComPtr<IOleAdviseHolder> advise_holder_;
    ComPtr<IOleInPlaceSite> in_place_site_;
    ComPtr<IOleInPlaceFrame> frame_;
    ComPtr<IOleInPlaceUIWindow> document_;
    // Alt with the access key of "&All", handed to the container by GetControlInfo.
    HACCEL accelerators_ = nullptr;
    ComPtr<IAdviseSink> view_sink_;
    DWORD view_aspects_ = 0;
    DWORD view_flags_ = 0;
    // The size the container gave, in HIMETRIC.
    SIZEL extent_{};
    bool in_place_active_ = false;
    bool ui_active_ = false;
    bool dirty_ = false;
    bool started_ = false;  // InitNew or Load has run
    int frozen_events_ = 0;
    IErrorLog* load_log_ = nullptr;
};

}  // namespace selvane::com
