// COM as selvane-demo uses it: strings, failures, type information and the sinks.
#include "demo/com_client.h"

#include <cwchar>

namespace selvane::demo {

std::wstring DescribeFailure(IUnknown* object, REFIID iid, HRESULT hr) {
    std::wstring description;
    ComPtr<ISupportErrorInfo> support;
    if (object && SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(support.put()))) &&
        support->InterfaceSupportsErrorInfo(iid) == S_OK) {
        ComPtr<IErrorInfo> info;
        Bstr text;
        if (::GetErrorInfo(0, info.put()) == S_OK && SUCCEEDED(info->GetDescription(text.put()))) description = text.str();
    }
    if (description.empty()) {
        wchar_t* system = nullptr;
        if (::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&system), 0, nullptr)) {
            description = system;
            ::LocalFree(system);
        }
        while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r' ||
                                        description.back() == L' ' || description.back() == L'.')) {
            description.pop_back();
        }
    }
    wchar_t code[16];
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return description.empty() ? code : description + L" (" + code + L")";
}

std::wstring MemberName(ITypeInfo* info, DISPID id) {
    Bstr name;
    if (info && SUCCEEDED(info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr)) && name.get()) {
        return name.str();
    }
    return L"dispid " + std::to_wstring(id);
}

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, IID_IDispatch) && !::IsEqualIID(iid, iid_)) {
        return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) EventSink::Release() {
    const LONG refs = ::InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (result) ::VariantInit(result);
    on_event_(id);
    return S_OK;
}

STDMETHODIMP PropertySink::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, IID_IPropertyNotifySink)) return E_NOINTERFACE;
    *object = static_cast<IPropertyNotifySink*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) PropertySink::Release() {
    const LONG refs = ::InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

STDMETHODIMP PropertySink::OnChanged(DISPID id) {
    on_changed_(id);
    return S_OK;
}

HRESULT Connection::Connect(IUnknown* object, REFIID iid, IUnknown* sink) {
    Disconnect();
    if (!object || !sink) return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put()));
    if (FAILED(hr)) return hr;
    ComPtr<IConnectionPoint> point;
    hr = container->FindConnectionPoint(iid, point.put());
    if (FAILED(hr)) return hr;
    hr = point->Advise(sink, &cookie_);
    if (FAILED(hr)) return hr;
    point_ = point;
    return S_OK;
}

void Connection::Disconnect() {
    if (point_) point_->Unadvise(cookie_);
    point_.reset();
    cookie_ = 0;
}

}  // namespace selvane::demo
