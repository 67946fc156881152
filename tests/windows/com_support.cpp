#include <initguid.h>

#include <tuple>

#include "tests/windows/com_support.h"
#include "tests/windows/user_input.h"

namespace selvane::testing {

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return S_OK;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    events.push_back(id);
    if (on_event) on_event(id);
    return S_OK;
}

void* EventSink::Extra(REFIID iid) {
    return !dispatch_only && ::IsEqualIID(iid, DIID___Selvane) ? static_cast<IDispatch*>(this) : nullptr;
}

STDMETHODIMP NotifySink::OnChanged(DISPID id) {
    changes.push_back(id);
    return answer;
}

void RecordingBag::Put(const std::wstring& key, const VARIANT& value) {
    for (auto& stored : values) {
        if (_wcsicmp(stored.first.c_str(), key.c_str()) == 0) {
            ::VariantCopy(stored.second.get(), const_cast<VARIANT*>(&value));
            return;
        }
    }
    auto& added = values.emplace_back(std::piecewise_construct, std::forward_as_tuple(key), std::forward_as_tuple());
    ::VariantCopy(added.second.get(), const_cast<VARIANT*>(&value));
}

void RecordingBag::PutText(const std::wstring& key, const std::wstring& text) {
    win32::Variant value;
    value->vt = VT_BSTR;
    value->bstrVal = Bstr(text).release();
    Put(key, *value.get());
}

const VARIANT* RecordingBag::Find(const std::wstring& key) const {
    for (const auto& stored : values) {
        if (_wcsicmp(stored.first.c_str(), key.c_str()) == 0) return stored.second.get();
    }
    return nullptr;
}

// A value comes back with the type it was stored with, as a container's bag may give it.
STDMETHODIMP RecordingBag::Read(LPCOLESTR key, VARIANT* value, IErrorLog*) {
    reads.push_back(key);
    const VARIANT* stored = Find(key);
    if (!stored) return E_INVALIDARG;
    ::VariantInit(value);
    return ::VariantCopy(value, const_cast<VARIANT*>(stored));
}

STDMETHODIMP RecordingBag::Write(LPCOLESTR key, VARIANT* value) {
    writes.push_back(key);
    Put(key, *value);
    return S_OK;
}

STDMETHODIMP RecordingBag::AddError(LPCOLESTR key, EXCEPINFO* info) {
    errors.emplace_back(key, info ? info->scode : E_POINTER);
    return S_OK;
}

STDMETHODIMP TestSite::SaveObject() {
    calls.push_back("SaveObject");
    return S_OK;
}

STDMETHODIMP TestSite::GetWindow(HWND* window) {
    *window = window_;
    return S_OK;
}

STDMETHODIMP TestSite::CanInPlaceActivate() {
    calls.push_back("CanInPlaceActivate");
    return S_OK;
}

STDMETHODIMP TestSite::OnInPlaceActivate() {
    calls.push_back("OnInPlaceActivate");
    return S_OK;
}

STDMETHODIMP TestSite::OnUIActivate() {
    calls.push_back("OnUIActivate");
    return S_OK;
}

STDMETHODIMP TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                        LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    calls.push_back("GetWindowContext");
    *frame = nullptr;
    *document = nullptr;
    *position = place_;
    *clip = place_;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP TestSite::OnUIDeactivate(BOOL) {
    calls.push_back("OnUIDeactivate");
    return S_OK;
}

STDMETHODIMP TestSite::OnInPlaceDeactivate() {
    calls.push_back("OnInPlaceDeactivate");
    return S_OK;
}

void* TestSite::Extra(REFIID iid) {
    return ::IsEqualIID(iid, IID_IOleWindow) ? static_cast<IOleInPlaceSite*>(this) : nullptr;
}

ComPtr<IUnknown> CreateSelvane() {
    ComPtr<IUnknown> control;
    ::CoCreateInstance(CLSID_Selvane, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                       reinterpret_cast<void**>(control.put()));
    return control;
}

ULONG ReleaseLast(ComPtr<IUnknown>& object) { return object.detach()->Release(); }

DWORD Connect(const ComPtr<IUnknown>& control, REFIID iid, IUnknown* sink) {
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (auto container = As<IConnectionPointContainer>(control)) {
        if (SUCCEEDED(container->FindConnectionPoint(iid, point.put()))) point->Advise(sink, &cookie);
    }
    return cookie;
}

HWND ChildOf(HWND surface, const wchar_t* window_class, bool owner_drawn) {
    for (HWND child = ::GetWindow(surface, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassOf(child).c_str(), window_class) != 0) continue;
        const bool drawn = (::GetWindowLongPtrW(child, GWL_STYLE) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
        if (_wcsicmp(window_class, L"ListBox") != 0 || drawn == owner_drawn) return child;
    }
    return nullptr;
}

void PumpThrough(IOleInPlaceActiveObject* active) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (active && active->TranslateAccelerator(&message) == S_OK) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

std::wstring LastErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.put()) != S_OK) return L"";
    Bstr text;
    info->GetDescription(text.put());
    return text.str();
}

ExceptionStrings::ExceptionStrings(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    source = Bstr::Adopt(std::exchange(info.bstrSource, nullptr));
    description = Bstr::Adopt(std::exchange(info.bstrDescription, nullptr));
    help_file = Bstr::Adopt(std::exchange(info.bstrHelpFile, nullptr));
}

ComPtr<IStream> StreamOf(const std::vector<std::uint8_t>& bytes) {
    ComPtr<IStream> stream;
    ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    ULONG written = 0;
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return stream;
}

std::vector<std::uint8_t> BytesOf(IStream* stream) {
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    return bytes;
}

}  // namespace selvane::testing
