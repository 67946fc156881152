// IDispatch and the members of _Selvane. Dispatch goes through the type library's own type
// information; every member is a thin call into the control's logic.
#include "control/com/selvane_control.h"

namespace selvane::com {
namespace {

VARIANT_BOOL AsVariantBool(TruthValue value) { return IsTrue(value) ? VARIANT_TRUE : VARIANT_FALSE; }

// Whether a type is a 32-bit unsigned integer, directly or through aliases (OLE_COLOR).
bool IsUnsigned32(ITypeInfo& info, const TYPEDESC& type) {
    if (type.vt == VT_UI4) return true;
    if (type.vt != VT_USERDEFINED) return false;
    ComPtr<ITypeInfo> alias;
    if (FAILED(info.GetRefTypeInfo(type.hreftype, alias.put()))) return false;
    TYPEATTR* attributes = nullptr;
    if (FAILED(alias->GetTypeAttr(&attributes))) return false;
    const bool result = attributes->typekind == TKIND_ALIAS && IsUnsigned32(*alias.get(), attributes->tdescAlias);
    alias->ReleaseTypeAttr(attributes);
    return result;
}

// Whether the property put of id takes an unsigned 32-bit value (the colours).
bool PutTakesUnsigned32(ITypeInfo& info, DISPID id) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info.GetTypeAttr(&attributes))) return false;
    const WORD count = attributes->cFuncs;
    info.ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info.GetFuncDesc(i, &function))) continue;
        const bool match = function->memid == id && function->invkind == INVOKE_PROPERTYPUT &&
                           function->cParams == 1 && IsUnsigned32(info, function->lprgelemdescParam[0].tdesc);
        info.ReleaseFuncDesc(function);
        if (match) return true;
    }
    return false;
}

template <class T>
HRESULT CheckOut(T* out) {
    if (!out) return E_POINTER;
    *out = T{};
    return S_OK;
}

}  // namespace

STDMETHODIMP SelvaneControl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    type_info_->AddRef();
    *info = type_info_.get();
    return S_OK;
}

STDMETHODIMP SelvaneControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return ::DispGetIDsOfNames(type_info_.get(), names, count, ids);
}

// Late-bound callers see the colours as signed 32-bit integers with the same bits, the way
// script languages hold them: &H8000000F reads back as it was written, and Wine's VBScript
// can't compute with unsigned values at all. Early-bound callers keep OLE_COLOR.
STDMETHODIMP SelvaneControl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO* exception, UINT* argument_error) {
    if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    Call call(*this);
    ::SetErrorInfo(0, nullptr);
    DISPPARAMS given = params ? *params : DISPPARAMS{};
    VARIANT as_unsigned;
    if ((flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 1 && params->rgvarg &&
        (params->rgvarg[0].vt == VT_I4 || params->rgvarg[0].vt == VT_I2) && PutTakesUnsigned32(*type_info_.get(), id)) {
        const VARIANT& value = params->rgvarg[0];
        as_unsigned.vt = VT_UI4;
        as_unsigned.ulVal = static_cast<ULONG>(value.vt == VT_I4 ? value.lVal : static_cast<LONG>(value.iVal));
        given.rgvarg = &as_unsigned;
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

STDMETHODIMP SelvaneControl::GetPath(BSTR* path) {
    RETURN_IF_FAILED(CheckOut(path));
    return Member([&] { *path = ToBstr(logic_.GetPath()); });
}

STDMETHODIMP SelvaneControl::FileSelected(VARIANT_BOOL* selected) {
    RETURN_IF_FAILED(CheckOut(selected));
    return Member([&] { *selected = AsVariantBool(logic_.FileSelected()); });
}

STDMETHODIMP SelvaneControl::PathOnly(BSTR str, BSTR* directory) {
    RETURN_IF_FAILED(CheckOut(directory));
    return Member([&] { *directory = ToBstr(logic_.PathOnly(FromBstr(str))); });
}

STDMETHODIMP SelvaneControl::FileExists(BSTR str, VARIANT_BOOL* exists) {
    RETURN_IF_FAILED(CheckOut(exists));
    return Member([&] { *exists = AsVariantBool(logic_.FileExists(FromBstr(str))); });
}

STDMETHODIMP SelvaneControl::DirExists(BSTR str, VARIANT_BOOL* exists) {
    RETURN_IF_FAILED(CheckOut(exists));
    return Member([&] { *exists = AsVariantBool(logic_.DirExists(FromBstr(str))); });
}

STDMETHODIMP SelvaneControl::RefreshFiles() {
    return Member([&] { logic_.RefreshFiles(); });
}

STDMETHODIMP SelvaneControl::get_BackColor(OLE_COLOR* color) {
    RETURN_IF_FAILED(CheckOut(color));
    return Member([&] { *color = logic_.BackColor(); });
}

STDMETHODIMP SelvaneControl::put_BackColor(OLE_COLOR color) {
    return Member([&] { logic_.SetBackColor(color); });
}

STDMETHODIMP SelvaneControl::get_Path(BSTR* path) {
    RETURN_IF_FAILED(CheckOut(path));
    return Member([&] { *path = ToBstr(logic_.Path()); });
}

STDMETHODIMP SelvaneControl::put_Path(BSTR path) {
    return Member([&] { logic_.SetPath(FromBstr(path)); });
}

STDMETHODIMP SelvaneControl::get_Label1Color(OLE_COLOR* color) {
    RETURN_IF_FAILED(CheckOut(color));
    return Member([&] { *color = logic_.Label1Color(); });
}

STDMETHODIMP SelvaneControl::put_Label1Color(OLE_COLOR color) {
    return Member([&] { logic_.SetLabel1Color(color); });
}

STDMETHODIMP SelvaneControl::get_Label2Color(OLE_COLOR* color) {
    RETURN_IF_FAILED(CheckOut(color));
    return Member([&] { *color = logic_.Label2Color(); });
}

STDMETHODIMP SelvaneControl::put_Label2Color(OLE_COLOR color) {
    return Member([&] { logic_.SetLabel2Color(color); });
}

STDMETHODIMP SelvaneControl::get_Label1Bold(VARIANT_BOOL* bold) {
    RETURN_IF_FAILED(CheckOut(bold));
    return Member([&] { *bold = AsVariantBool(logic_.Label1Bold()); });
}

STDMETHODIMP SelvaneControl::put_Label1Bold(VARIANT_BOOL bold) {
    return Member([&] { logic_.SetLabel1Bold(bold); });
}

STDMETHODIMP SelvaneControl::get_Label2Bold(VARIANT_BOOL* bold) {
    RETURN_IF_FAILED(CheckOut(bold));
    return Member([&] { *bold = AsVariantBool(logic_.Label2Bold()); });
}

STDMETHODIMP SelvaneControl::put_Label2Bold(VARIANT_BOOL bold) {
    return Member([&] { logic_.SetLabel2Bold(bold); });
}

// The flags keep the value given, as the logic stores it.
STDMETHODIMP SelvaneControl::get_DirOnly(VARIANT_BOOL* dir_only) {
    RETURN_IF_FAILED(CheckOut(dir_only));
    return Member([&] { *dir_only = logic_.DirOnly(); });
}

STDMETHODIMP SelvaneControl::put_DirOnly(VARIANT_BOOL dir_only) {
    return Member([&] { logic_.SetDirOnly(dir_only); });
}

STDMETHODIMP SelvaneControl::get_Server(VARIANT_BOOL* server) {
    RETURN_IF_FAILED(CheckOut(server));
    return Member([&] { *server = logic_.Server(); });
}

STDMETHODIMP SelvaneControl::put_Server(VARIANT_BOOL server) {
    return Member([&] { logic_.SetServer(server); });
}

STDMETHODIMP SelvaneControl::get_Tips(VARIANT_BOOL* tips) {
    RETURN_IF_FAILED(CheckOut(tips));
    return Member([&] { *tips = logic_.Tips(); });
}

STDMETHODIMP SelvaneControl::put_Tips(VARIANT_BOOL tips) {
    return Member([&] { logic_.SetTips(tips); });
}

STDMETHODIMP SelvaneControl::get_FileType(BSTR* pattern) {
    RETURN_IF_FAILED(CheckOut(pattern));
    return Member([&] { *pattern = ToBstr(logic_.FileType()); });
}

STDMETHODIMP SelvaneControl::put_FileType(BSTR pattern) {
    return Member([&] { logic_.SetFileType(FromBstr(pattern)); });
}

STDMETHODIMP SelvaneControl::get_ShowHidden(VARIANT_BOOL* show_hidden) {
    RETURN_IF_FAILED(CheckOut(show_hidden));
    return Member([&] { *show_hidden = logic_.ShowHidden(); });
}

STDMETHODIMP SelvaneControl::put_ShowHidden(VARIANT_BOOL show_hidden) {
    return Member([&] { logic_.SetShowHidden(show_hidden); });
}

// The dialog is modal, so an in-place container hears of it and holds back its own modeless
// windows meanwhile. The frame is held here: the container may deactivate the control while the
// dialog is open.
STDMETHODIMP SelvaneControl::AboutBox() {
    return Member([&] {
        const ComPtr<IOleInPlaceFrame> frame = frame_;
        if (frame) frame->EnableModeless(FALSE);
        logic_.AboutBox();
        if (frame) frame->EnableModeless(TRUE);
    });
}

STDMETHODIMP SelvaneControl::Refresh() {
    return Member([&] { logic_.Refresh(); });
}

}  // namespace selvane::com
