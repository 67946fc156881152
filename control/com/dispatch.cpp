// IDispatch and the members of _Selvane. Dispatch goes through the type library's own type
// information; every member is a thin call into the control's logic.
#include "control/com/selvane_control.h"

#include <optional>

#include "control/members.h"

namespace selvane::com {
namespace {

VARIANT_BOOL AsVariantBool(TruthValue value) { return IsTrue(value) ? VARIANT_TRUE : VARIANT_FALSE; }

// Whether id is a colour property, whose put takes an unsigned 32-bit OLE_COLOR.
bool IsColorProperty(DISPID id) {
    const host::Property* property = members::Find(id);
    return property && property->kind == host::ValueKind::kColor;
}

// The signed integer a caller passed, as a value or by reference: scripts pass their variables
// by reference (VT_BYREF | VT_VARIANT) and their literals by value.
std::optional<LONG> SignedArgument(const VARIANT& given) {
    const VARIANT* value = &given;
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal) value = value->pvarVal;
    switch (value->vt) {
    case VT_I4: return value->lVal;
    case VT_I2: return value->iVal;
    case VT_BYREF | VT_I4:
        if (value->plVal) return *value->plVal;
        break;
    case VT_BYREF | VT_I2:
        if (value->piVal) return *value->piVal;
        break;
    default: break;
    }
    return std::nullopt;
}

template <class T>
HRESULT CheckOut(T* out) {
    if (!out) return E_POINTER;
    *out = T{};
    return S_OK;
}

}  // namespace

STDMETHODIMP SelvaneControl::GetTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    type_info_->AddRef();
    *info = type_info_.get();
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) noexcept {
    if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return ::DispGetIDsOfNames(type_info_.get(), names, count, ids);
}

// Late-bound callers see the colours as signed 32-bit integers with the same bits, the way
// script languages hold them: &H8000000F reads back as it was written, and Wine's VBScript
// can't compute with unsigned values at all. Early-bound callers keep OLE_COLOR.
STDMETHODIMP SelvaneControl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO* exception, UINT* argument_error) noexcept {
    if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    Call call(*this);
    ::SetErrorInfo(0, nullptr);
    DISPPARAMS given = params ? *params : DISPPARAMS{};
    VARIANT as_unsigned;
    if ((flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 1 && params->rgvarg && IsColorProperty(id)) {
        if (const std::optional<LONG> value = SignedArgument(params->rgvarg[0])) {
            as_unsigned.vt = VT_UI4;
            as_unsigned.ulVal = static_cast<ULONG>(*value);
            given.rgvarg = &as_unsigned;
        }
    }
    const HRESULT hr = type_info_->Invoke(static_cast<_Selvane*>(this), id, flags, params ? &given : nullptr, result,
                                          exception, argument_error);
    if (SUCCEEDED(hr) && result && result->vt == VT_UI4) result->vt = VT_I4;
    // A member that failed left its description in the error information: hand it to the caller
    // where the type information did not.
    if (hr == DISP_E_EXCEPTION && exception && !exception->bstrDescription) {
        ComPtr<IErrorInfo> info;
        if (::GetErrorInfo(0, info.put()) == S_OK) {
            info->GetDescription(&exception->bstrDescription);
            if (!exception->bstrSource) info->GetSource(&exception->bstrSource);
        }
    }
    return hr;
}

STDMETHODIMP SelvaneControl::GetPath(BSTR* path) noexcept {
    RETURN_IF_FAILED(CheckOut(path));
    return Member([&] { *path = ToBstr(logic_.GetPath()); });
}

STDMETHODIMP SelvaneControl::FileSelected(VARIANT_BOOL* selected) noexcept {
    RETURN_IF_FAILED(CheckOut(selected));
    return Member([&] { *selected = AsVariantBool(logic_.FileSelected()); });
}

STDMETHODIMP SelvaneControl::PathOnly(BSTR str, BSTR* directory) noexcept {
    RETURN_IF_FAILED(CheckOut(directory));
    return Member([&] { *directory = ToBstr(logic_.PathOnly(FromBstr(str))); });
}

STDMETHODIMP SelvaneControl::FileExists(BSTR str, VARIANT_BOOL* exists) noexcept {
    RETURN_IF_FAILED(CheckOut(exists));
    return Member([&] { *exists = AsVariantBool(logic_.FileExists(FromBstr(str))); });
}

STDMETHODIMP SelvaneControl::DirExists(BSTR str, VARIANT_BOOL* exists) noexcept {
    RETURN_IF_FAILED(CheckOut(exists));
    return Member([&] { *exists = AsVariantBool(logic_.DirExists(FromBstr(str))); });
}

STDMETHODIMP SelvaneControl::RefreshFiles() noexcept {
    return Member([&] { logic_.RefreshFiles(); });
}

#define SELVANE_DEFINE_PROPERTY(name, id, kind, initial)                                          \
    STDMETHODIMP SelvaneControl::get_##name(ComValue<host::ValueKind::k##kind>::Type* out) noexcept {      \
        RETURN_IF_FAILED(CheckOut(out));                                                            \
        return Member([&] { *out = ComValue<host::ValueKind::k##kind>::From(logic_.name()); });     \
    }                                                                                               \
    STDMETHODIMP SelvaneControl::put_##name(ComValue<host::ValueKind::k##kind>::Type in) noexcept {       \
        return Member([&] { logic_.Set##name(ComValue<host::ValueKind::k##kind>::To(in)); });       \
    }
SELVANE_PROPERTIES(SELVANE_DEFINE_PROPERTY)
#undef SELVANE_DEFINE_PROPERTY

// The dialog is modal, so an in-place container hears of it and holds back its own modeless
// windows meanwhile. The frame is held here: the container may deactivate the control while the
// dialog is open.
STDMETHODIMP SelvaneControl::AboutBox() noexcept {
    return Member([&] {
        const ComPtr<IOleInPlaceFrame> frame = frame_;
        if (frame) frame->EnableModeless(FALSE);
        logic_.AboutBox();
        if (frame) frame->EnableModeless(TRUE);
    });
}

STDMETHODIMP SelvaneControl::Refresh() noexcept {
    return Member([&] { logic_.Refresh(); });
}

}  // namespace selvane::com
