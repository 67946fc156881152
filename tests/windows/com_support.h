// A COM container's pieces, for the tests: a reference-counted base for test objects, an event
// sink, a property-change sink, a property bag that records what it is asked, and a site for
// in-place activation that records the calls it receives, in order.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "control/com/com_base.h"
#include "control/com/selvane_h.h"

namespace selvane::testing {

using com::ComPtr;

// IUnknown for a test object implementing the interfaces I...: the first one stands for IUnknown.
template <class First, class... Rest>
class TestObject : public First, public Rest... {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (::IsEqualIID(iid, IID_IUnknown)) {
            *object = static_cast<First*>(this);
        } else if (!((::IsEqualIID(iid, __uuidof(First)) && (*object = static_cast<First*>(this))) || ... ||
                     (::IsEqualIID(iid, __uuidof(Rest)) && (*object = static_cast<Rest*>(this))))) {
            *object = Extra(iid);
        }
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = --refs_;
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

protected:
    virtual ~TestObject() = default;
    // Another interface the object answers for, such as a base interface.
    virtual void* Extra(REFIID) { return nullptr; }

private:
    LONG refs_ = 1;
};

// Made with one reference, which the ComPtr takes over.
template <class T, class... Args>
ComPtr<T> Make(Args&&... args) {
    return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// Receives Click and DblClick; on_event runs inside the control's raising of the event.
class EventSink final : public TestObject<IDispatch> {
public:
    std::vector<DISPID> events;
    std::function<void(DISPID)> on_event;
    // Answers only IDispatch, not the event interface, as script engines' generic sinks do.
    bool dispatch_only = false;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    void* Extra(REFIID iid) override;
};

class NotifySink final : public TestObject<IPropertyNotifySink> {
public:
    std::vector<DISPID> changes;
    HRESULT answer = S_OK;  // what OnChanged returns
    STDMETHODIMP OnChanged(DISPID id) override;
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
};

// Keeps values in the order first written; records the keys read and written and the errors logged.
class RecordingBag final : public TestObject<IPropertyBag, IErrorLog> {
public:
    std::vector<std::wstring> reads;
    std::vector<std::wstring> writes;
    std::vector<std::pair<std::wstring, HRESULT>> errors;
    // A deque, since a Variant stays where it was made.
    std::deque<std::pair<std::wstring, win32::Variant>> values;

    void Put(const std::wstring& key, const VARIANT& value);
    void PutText(const std::wstring& key, const std::wstring& text);
    const VARIANT* Find(const std::wstring& key) const;

    STDMETHODIMP Read(LPCOLESTR key, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR key, VARIANT* value) override;
    STDMETHODIMP AddError(LPCOLESTR key, EXCEPINFO* info) override;
};

// A client site with an in-place site on the given window, at the given place.
class TestSite final : public TestObject<IOleClientSite, IOleInPlaceSite> {
public:
    TestSite(HWND window, RECT place) : window_(window), place_(place) {}
    std::vector<std::string> calls;

    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

private:
    void* Extra(REFIID iid) override;
    HWND window_;
    RECT place_;
};

using win32::Bstr;

// The text of a string a call returned, which this frees.
inline std::wstring Take(BSTR text) { return Bstr::Adopt(text).str(); }

// Where Wine is known to answer unlike Windows.
inline bool UnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Takes the strings a failed Invoke put in an EXCEPINFO, filled in first if the callee deferred
// that, and frees them when it goes; the EXCEPINFO keeps its code and the rest.
struct ExceptionStrings {
    explicit ExceptionStrings(EXCEPINFO& info);
    Bstr source;
    Bstr description;
    Bstr help_file;
};

// A new control from the registry, as any container makes one.
ComPtr<IUnknown> CreateSelvane();

template <class T>
ComPtr<T> As(const ComPtr<IUnknown>& object) {
    ComPtr<T> result;
    object.As(&result);
    return result;
}

// The number of references left after the last of the caller's is given back: 0 when the
// object is gone.
ULONG ReleaseLast(ComPtr<IUnknown>& object);

// Connects the sink to the control's connection point for iid; returns the cookie.
DWORD Connect(const ComPtr<IUnknown>& control, REFIID iid, IUnknown* sink);

// The child window of the control's surface with that class ("Edit", "Button", "ComboBox"),
// or, for "ListBox", the file list (owner_drawn false) or the directory list (owner_drawn true).
HWND ChildOf(HWND surface, const wchar_t* window_class, bool owner_drawn = false);

// Dispatches what is queued, giving the active object the keyboard first, as a container does.
void PumpThrough(IOleInPlaceActiveObject* active);

// A stream in memory holding the bytes, to be read from the start; and all the bytes a stream holds.
ComPtr<IStream> StreamOf(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> BytesOf(IStream* stream);

// The description the thread's error information holds, or empty.
std::wstring LastErrorDescription();

// This build's bitness, as its type library and the library's registration name it.
inline constexpr SYSKIND kOwnSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
inline constexpr const wchar_t* kOwnPlatform = sizeof(void*) == 8 ? L"win64" : L"win32";

// A library's export as the function type it has, or null.
template <class Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace selvane::testing
