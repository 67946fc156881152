#include "win32/accessible_name.h"

#include <oleacc.h>

#include <new>

#include "win32/message_hooks.h"

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

}  // namespace

std::optional<LRESULT> AnswerWithName(HWND window, WPARAM wparam, LPARAM lparam, const std::wstring& name) {
    if (static_cast<LONG>(lparam) != OBJID_CLIENT) return std::nullopt;
    IAccessible* standard = nullptr;
    if (FAILED(::CreateStdAccessibleObject(window, OBJID_CLIENT, kAccessible, reinterpret_cast<void**>(&standard)))) {
        return std::nullopt;
    }
    auto* named = new (std::nothrow) NamedAccessible(standard, name);
    if (!named) {
        standard->Release();
        return std::nullopt;
    }
    const LRESULT result = ::LresultFromObject(kAccessible, wparam, static_cast<IAccessible*>(named));
    named->Release();
    return result;
}

void NameForScreenReaders(HWND window, const std::wstring& name) {
    HookMessages(window, [name](HWND named, UINT message, WPARAM wparam, LPARAM lparam, const PassOn& pass_on) {
        if (message == WM_GETOBJECT) {
            if (const std::optional<LRESULT> answer = AnswerWithName(named, wparam, lparam, name)) return *answer;
        }
        return pass_on();
    });
}

}  // namespace selvane::win32
