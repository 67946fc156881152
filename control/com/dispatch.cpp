// IDispatch and the members of _Selvane and _Selvane2. Dispatch goes through the type library's own type
// information; every member is a thin call into the control's logic.
#include "control/com/selvane_control.h"

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "control/members.h"

namespace selvane::com {
namespace {

VARIANT_BOOL AsVariantBool(TruthValue value) { return IsTrue(value) ? VARIANT_TRUE : VARIANT_FALSE; }

// Whether id is a colour property, whose put takes an unsigned 32-bit OLE_COLOR.
bool IsColorProperty(DISPID id) {
    const host::Property* property = members::Find(id);
    return property && property->kind == host::ValueKind::kColor;
}

// The value a caller passed: scripts pass their variables by reference (VT_BYREF | VT_VARIANT)
// and their literals by value.
const VARIANT& Unwrapped(const VARIANT& given) {
    return given.vt == (VT_BYREF | VT_VARIANT) && given.pvarVal ? *given.pvarVal : given;
}

// The signed integer a caller passed, as a value or by reference.
std::optional<LONG> SignedArgument(const VARIANT& given) {
    const VARIANT* value = &Unwrapped(given);
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

// The run-time error of an argument the type information couldn't convert to the type the
// member declares: Null where text is wanted is an invalid use of Null, as in the script itself.
std::int32_t ArgumentError(HRESULT hr, const VARIANT& given, VARTYPE wanted) {
    if (hr == DISP_E_TYPEMISMATCH && wanted == VT_BSTR && Unwrapped(given).vt == VT_NULL)
        return errc::kInvalidUseOfNull;
    return ConversionError(hr);
}

// The type information's description of the member a call names by its id and flags, released
// with this; empty when there is no such member.
class MemberDescription {
public:
    // The first member with the id that the flags can call, as ITypeInfo::Invoke chooses it.
    MemberDescription(ITypeInfo& info, DISPID id, WORD flags) noexcept : info_(info) {
        TYPEATTR* type = nullptr;
        if (FAILED(info.GetTypeAttr(&type))) return;
        const WORD functions = type->cFuncs;
        info.ReleaseTypeAttr(type);
        for (UINT i = 0; i < functions; ++i) {
            if (FAILED(info.GetFuncDesc(i, &description_))) break;
            if (description_->memid == id && (description_->invkind & flags)) return;
            info.ReleaseFuncDesc(description_);
        }
        description_ = nullptr;
    }
    ~MemberDescription() {
        if (description_) info_.ReleaseFuncDesc(description_);
    }
    MemberDescription(const MemberDescription&) = delete;
    MemberDescription& operator=(const MemberDescription&) = delete;

    explicit operator bool() const noexcept { return description_ != nullptr; }

    // How many arguments a caller passes: every parameter but the return value and a locale.
    UINT Arguments() const noexcept {
        UINT count = 0;
        for (SHORT i = 0; i < description_->cParams; ++i) count += Passed(description_->lprgelemdescParam[i]);
        return count;
    }

    // The declared type of the argument at position in DISPPARAMS order, where the last comes first.
    VARTYPE ArgumentType(UINT position) const noexcept {
        for (SHORT i = description_->cParams; i-- > 0;) {
            const ELEMDESC& parameter = description_->lprgelemdescParam[i];
            if (Passed(parameter) && position-- == 0) return parameter.tdesc.vt;
        }
        return VT_EMPTY;
    }

private:
    static bool Passed(const ELEMDESC& parameter) noexcept {
        return !(parameter.paramdesc.wParamFlags & (PARAMFLAG_FRETVAL | PARAMFLAG_FLCID));
    }

    ITypeInfo& info_;
    FUNCDESC* description_ = nullptr;
};

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
// A value that can't be converted to a member's type fails as the control's run-time error, with
// its description, as every other failure of a member does; callers that read only the code
// (JScript, C++) would otherwise see a bare dispatch error with no text.
STDMETHODIMP SelvaneControl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO* exception, UINT* argument_error) noexcept {
    if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    Call call(*this);
    ::SetErrorInfo(0, nullptr);
    // Wine's type information lets any number of arguments through to a member without parameters.
    const MemberDescription member(*type_info_.get(), id, flags);
    if (member && params && params->cArgs > member.Arguments()) return DISP_E_BADPARAMCOUNT;
    DISPPARAMS given = params ? *params : DISPPARAMS{};
    VARIANT as_unsigned;
    if ((flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 1 && params->rgvarg && IsColorProperty(id)) {
        if (const std::optional<LONG> value = SignedArgument(params->rgvarg[0])) {
            as_unsigned.vt = VT_UI4;
            as_unsigned.ulVal = static_cast<ULONG>(*value);
            given.rgvarg = &as_unsigned;
        }
    }
    const UINT arguments = params && params->rgvarg ? params->cArgs : 0;
    UINT bad_argument = arguments;  // none
    HRESULT hr = type_info_->Invoke(static_cast<_Selvane2*>(this), id, flags, params ? &given : nullptr, result,
                                    exception, &bad_argument);
    if (SUCCEEDED(hr) && result && result->vt == VT_UI4) result->vt = VT_I4;
    if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW) && member && arguments > 0) {
        // Wine's type information doesn't say which argument it couldn't convert; no member takes
        // more than one.
        if (bad_argument >= arguments && arguments == 1) bad_argument = 0;
        if (bad_argument < arguments) {
            const std::int32_t code =
                ArgumentError(hr, params->rgvarg[bad_argument], member.ArgumentType(bad_argument));
            const HRESULT failure = Guard(IID__Selvane, [&] { Raise(code); });
            if (exception) {
                *exception = EXCEPINFO{};
                exception->scode = failure;
            }
            hr = DISP_E_EXCEPTION;
        }
    }
    if (argument_error && bad_argument < arguments) *argument_error = bad_argument;
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
SELVANE_ALL_PROPERTIES(SELVANE_DEFINE_PROPERTY)
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

STDMETHODIMP SelvaneControl::get_SelectedCount(LONG* count) noexcept {
    RETURN_IF_FAILED(CheckOut(count));
    return Member([&] { *count = logic_.SelectedCount(); });
}

// An array of variants holding strings, the one kind of array VBScript and JScript (through
// VBArray) read; with nothing chosen, an empty one (bounds 0 to -1) rather than Empty, so that
// UBound and a For Each need no test first.
STDMETHODIMP SelvaneControl::get_SelectedFiles(VARIANT* files) noexcept {
    if (!files) return E_POINTER;
    ::VariantInit(files);
    return Member([&] {
        const std::vector<std::u16string> paths = logic_.SelectedFiles();
        win32::UniqueSafeArray array(::SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(paths.size())));
        if (!array) throw std::bad_alloc();
        for (LONG i = 0; i < static_cast<LONG>(paths.size()); ++i) {
            win32::Variant path;
            path->vt = VT_BSTR;
            path->bstrVal = ToBstr(paths[static_cast<std::size_t>(i)]);
            const HRESULT hr = ::SafeArrayPutElement(array.get(), &i, path.get());
            if (FAILED(hr)) throw std::bad_alloc();
        }
        files->vt = VT_ARRAY | VT_VARIANT;
        files->parray = array.release();
    });
}

}  // namespace selvane::com
