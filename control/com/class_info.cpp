// IProvideClassInfo2 and ISupportErrorInfo.
#include "control/com/module.h"
#include "control/com/selvane_control.h"

namespace selvane::com {

STDMETHODIMP SelvaneControl::GetClassInfo(ITypeInfo** info) noexcept { return LoadTypeInfo(LibraryType::kSelvaneClass, info); }

STDMETHODIMP SelvaneControl::GetGUID(DWORD kind, GUID* guid) noexcept {
    if (!guid) return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = DIID___Selvane;
    return S_OK;
}

STDMETHODIMP SelvaneControl::InterfaceSupportsErrorInfo(REFIID iid) noexcept {
    return ::IsEqualIID(iid, IID__Selvane) || ::IsEqualIID(iid, IID__Selvane2) ? S_OK : S_FALSE;
}

}  // namespace selvane::com
