// atl.dll's container: loading it, and making and reading its host windows.
#include "demo/atl_container.h"

namespace selvane::demo {
namespace {

// A function of a DLL as the type it is known to have.
template <class Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

bool AtlContainer::Load(std::wstring* error) {
    atl_ = ::LoadLibraryW(L"atl.dll");
    if (!atl_) {
        *error = L"atl.dll can't be loaded (error " + std::to_wstring(::GetLastError()) + L")";
        return false;
    }
    using InitFunction = BOOL(WINAPI*)();
    const auto init = Export<InitFunction>(atl_, "AtlAxWinInit");
    get_control_ = Export<GetControlFunction>(atl_, "AtlAxGetControl");
    if (!init || !get_control_) {
        *error = L"atl.dll lacks AtlAxWinInit or AtlAxGetControl";
        return false;
    }
    if (!init()) {
        *error = L"AtlAxWinInit failed";
        return false;
    }
    return true;
}

// A control parent, so that the dialog manager of the window around it walks Tab into the
// control's children and out again.
HWND AtlContainer::Create(HWND parent, const wchar_t* prog_id, const RECT& place, int id) const {
    return ::CreateWindowExW(WS_EX_CONTROLPARENT, L"AtlAxWin", prog_id, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                             place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

HRESULT AtlContainer::GetControl(HWND window, IUnknown** control) const {
    if (!control) return E_POINTER;
    *control = nullptr;
    if (!get_control_) return E_UNEXPECTED;
    return get_control_(window, control);
}

}  // namespace selvane::demo
