// What selvane-demo needs of COM as a client of the control: an owning interface pointer, an
// owned BSTR, the words for a failed call, and the two sinks a host connects to the control.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <utility>

#include "control/com/com_base.h"

namespace selvane::demo {

using com::ComPtr;

using win32::Bstr;

// Why a call on the object's interface iid returned hr: the description the object left in the
// thread's error information where it supports that, else the system's words, with the code.
std::wstring DescribeFailure(IUnknown* object, REFIID iid, HRESULT hr);

// The name the type information gives a member ("Path" for its dispid), or "dispid N".
std::wstring MemberName(ITypeInfo* info, DISPID id);

// Receives the control's events on the dispinterface iid and hands each one's dispid on.
class EventSink final : public IDispatch {
public:
    EventSink(REFIID iid, std::function<void(DISPID)> on_event) : iid_(iid), on_event_(std::move(on_event)) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    ~EventSink() = default;
    LONG refs_ = 1;
    IID iid_;
    std::function<void(DISPID)> on_event_;
};

// Hears which property the control says has changed.
class PropertySink final : public IPropertyNotifySink {
public:
    explicit PropertySink(std::function<void(DISPID)> on_changed) : on_changed_(std::move(on_changed)) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP OnChanged(DISPID id) override;
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

private:
    ~PropertySink() = default;
    LONG refs_ = 1;
    std::function<void(DISPID)> on_changed_;
};

// A sink connected to one connection point of an object, until Disconnect or destruction.
class Connection {
public:
    Connection() = default;
    ~Connection() { Disconnect(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    HRESULT Connect(IUnknown* object, REFIID iid, IUnknown* sink);
    void Disconnect();

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace selvane::demo
