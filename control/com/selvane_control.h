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
#include "win32/deadline.h"
#include "win32/win32_host.h"

namespace selvane::com {

// A new control, initialised and ready for InitNew or Load, queried for iid.
HRESULT CreateSelvaneControl(REFIID iid, void** object) noexcept;

class SelvaneControl final : public _Selvane2,
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
    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override;
    STDMETHODIMP_(ULONG) AddRef() noexcept override;
    STDMETHODIMP_(ULONG) Release() noexcept override;

    // IDispatch, _Selvane and _Selvane2 (dispatch.cpp)
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) noexcept override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argument_error) noexcept override;
    STDMETHODIMP GetPath(BSTR* path) noexcept override;
    STDMETHODIMP FileSelected(VARIANT_BOOL* selected) noexcept override;
    STDMETHODIMP PathOnly(BSTR str, BSTR* directory) noexcept override;
    STDMETHODIMP FileExists(BSTR str, VARIANT_BOOL* exists) noexcept override;
    STDMETHODIMP DirExists(BSTR str, VARIANT_BOOL* exists) noexcept override;
    STDMETHODIMP RefreshFiles() noexcept override;
    // get_ and put_ for every property of the member table (control/members.h).
#define SELVANE_DECLARE_PROPERTY(name, id, kind, initial)                          \
    STDMETHODIMP get_##name(ComValue<host::ValueKind::k##kind>::Type* out) noexcept override; \
    STDMETHODIMP put_##name(ComValue<host::ValueKind::k##kind>::Type in) noexcept override;
    SELVANE_ALL_PROPERTIES(SELVANE_DECLARE_PROPERTY)
#undef SELVANE_DECLARE_PROPERTY
    STDMETHODIMP AboutBox() noexcept override;
    STDMETHODIMP Refresh() noexcept override;
    STDMETHODIMP get_SelectedCount(LONG* count) noexcept override;
    STDMETHODIMP get_SelectedFiles(VARIANT* files) noexcept override;

    // IProvideClassInfo2 and ISupportErrorInfo (class_info.cpp)
    STDMETHODIMP GetClassInfo(ITypeInfo** info) noexcept override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) noexcept override;
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) noexcept override;

    // IConnectionPointContainer (events.cpp)
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept override;

    // IOleObject (ole_object.cpp)
    STDMETHODIMP SetClientSite(IOleClientSite* site) noexcept override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) noexcept override;
    STDMETHODIMP SetHostNames(LPCOLESTR application, LPCOLESTR document) noexcept override;
    STDMETHODIMP Close(DWORD save_option) noexcept override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) noexcept override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) noexcept override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) noexcept override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) noexcept override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT position) noexcept override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) noexcept override;
    STDMETHODIMP Update() noexcept override;
    STDMETHODIMP IsUpToDate() noexcept override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) noexcept override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* name) noexcept override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) noexcept override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) noexcept override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) noexcept override;
    STDMETHODIMP Unadvise(DWORD connection) noexcept override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) noexcept override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) noexcept override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) noexcept override;

    // IOleWindow, IOleInPlaceObject and IOleInPlaceActiveObject (in_place.cpp)
    STDMETHODIMP GetWindow(HWND* window) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) noexcept override;
    STDMETHODIMP InPlaceDeactivate() noexcept override;
    STDMETHODIMP UIDeactivate() noexcept override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) noexcept override;
    STDMETHODIMP ReactivateAndUndo() noexcept override;
    STDMETHODIMP TranslateAccelerator(LPMSG message) noexcept override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) noexcept override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) noexcept override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) noexcept override;
    STDMETHODIMP EnableModeless(BOOL enable) noexcept override;

    // IOleControl (ole_control.cpp)
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) noexcept override;
    STDMETHODIMP OnMnemonic(LPMSG message) noexcept override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) noexcept override;
    STDMETHODIMP FreezeEvents(BOOL freeze) noexcept override;

    // IViewObject2 (view_object.cpp)
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* device, HDC target_dc, HDC dc,
                      LPCRECTL bounds, LPCRECTL window_bounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                      ULONG_PTR cont_argument) noexcept override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* device, HDC target_dc,
                             LOGPALETTE** colors) noexcept override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspect_info, DWORD* freeze) noexcept override;
    STDMETHODIMP Unfreeze(DWORD freeze) noexcept override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) noexcept override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) noexcept override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) noexcept override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag and IPersistStorage (persist.cpp)
    STDMETHODIMP GetClassID(CLSID* clsid) noexcept override;
    STDMETHODIMP IsDirty() noexcept override;
    STDMETHODIMP InitNew() noexcept override;
    STDMETHODIMP Load(LPSTREAM stream) noexcept override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clear_dirty) noexcept override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) noexcept override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) noexcept override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) noexcept override;
    STDMETHODIMP InitNew(IStorage* storage) noexcept override;
    STDMETHODIMP Load(IStorage* storage) noexcept override;
    STDMETHODIMP Save(IStorage* storage, BOOL same_as_load) noexcept override;
    STDMETHODIMP SaveCompleted(IStorage* storage) noexcept override;
    STDMETHODIMP HandsOffStorage() noexcept override;

    // IQuickActivate (quick_activate.cpp)
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) noexcept override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) noexcept override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) noexcept override;

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
    // destruction off until the outermost call returns. Its calls to the disk share one
    // allowance of silence.
    class Call {
    public:
        explicit Call(SelvaneControl& control) : control_(control) { ++control_.calls_; }
        ~Call() { control_.LeaveCall(); }
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        SelvaneControl& control_;
        const win32::ActionScope action_;
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
    win32::UniqueAccelerators accelerators_;
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
