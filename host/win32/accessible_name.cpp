#include "host/win32/accessible_name.h"

#include <commctrl.h>
#include <oleacc.h>

#include <new>

namespace selvane::win32 {
namespace {

// From the header, not from liboleacc: the 64-bit mingw-w64 library resolves IID_IAccessible to
// an import thunk, and a proxy asked for those bytes answers E_NOINTERFACE.
const IID kAccessible = __uuidof(IAccessible);

// The standard proxy, whose reference it takes over, with another name. Other interfaces a
// screen reader asks for (IEnumVARIANT to walk the children, IOleWindow) are the proxy's own.
class NamedAccessible final : public IAccessible {
public:
    NamedAccessible(IAccessible* inner, std::wstring name) : inner_(inner), name_(std::move(name)) {}
    NamedAccessible(const NamedAccessible&) = delete;
    NamedAccessible& operator=(const NamedAccessible&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch) || ::IsEqualIID(iid, kAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return inner_->QueryInterface(iid, object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = ::InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, locale, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
        return inner_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argument) override {
        return inner_->Invoke(id, iid, locale, flags, params, result, exception, argument);
    }

    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return inner_->get_accName(child, name);
        *name = ::SysAllocString(name_.c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }

    STDMETHODIMP get_accParent(IDispatch** parent) override { return inner_->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(long* count) override { return inner_->get_accChildCount(count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** result) override { return inner_->get_accChild(child, result); }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override { return inner_->get_accValue(child, value); }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override { return inner_->get_accDescription(child, text); }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override { return inner_->get_accRole(child, role); }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override { return inner_->get_accState(child, state); }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return inner_->get_accHelp(child, help); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return inner_->get_accKeyboardShortcut(child, keys);
    }
    STDMETHODIMP get_accFocus(VARIANT* child) override { return inner_->get_accFocus(child); }
    STDMETHODIMP get_accSelection(VARIANT* children) override { return inner_->get_accSelection(children); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return inner_->get_accDefaultAction(child, action);
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override { return inner_->accSelect(flags, child); }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return inner_->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(long left, long top, VARIANT* child) override { return inner_->accHitTest(left, top, child); }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override { return inner_->accDoDefaultAction(child); }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return inner_->put_accName(child, name); }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override { return inner_->put_accValue(child, value); }

private:
    ~NamedAccessible() { inner_->Release(); }
    LONG refs_ = 1;
    IAccessible* inner_;
    std::wstring name_;
};

LRESULT CALLBACK Watch(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    auto* name = reinterpret_cast<std::wstring*>(data);
    if (message == WM_GETOBJECT && static_cast<LONG>(lparam) == OBJID_CLIENT) {
        IAccessible* standard = nullptr;
        if (SUCCEEDED(::CreateStdAccessibleObject(window, OBJID_CLIENT, kAccessible,
                                                  reinterpret_cast<void**>(&standard)))) {
            auto* named = new (std::nothrow) NamedAccessible(standard, *name);
            if (!named) {
                standard->Release();
            } else {
                const LRESULT result = ::LresultFromObject(kAccessible, wparam, static_cast<IAccessible*>(named));
                named->Release();
                return result;
            }
        }
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, &Watch, 0);
        delete name;
    }
    return ::DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace

void NameForScreenReaders(HWND window, const std::wstring& name) {
    auto* held = new std::wstring(name);
    if (!::SetWindowSubclass(window, &Watch, 0, reinterpret_cast<DWORD_PTR>(held))) delete held;
}

}  // namespace selvane::win32
