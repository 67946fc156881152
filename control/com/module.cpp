// The library's exports: the class factory, the unload query and self-registration, for the
// machine or for the current user.
#include "control/com/module.h"

#include <olectl.h>

#include "control/com/class_factory.h"
#include "control/com/registration.h"
#include "control/com/selvane_h.h"
#include "host/win32/win32_base.h"

namespace selvane::com {
namespace {

// Apartment-threaded, but a container may create instances on several threads.
LONG g_locks = 0;

// The embedded type library, once loaded; it holds one reference.
ITypeLib* g_library = nullptr;

HRESULT TypeLibrary(ITypeLib** library) {
    *library = static_cast<ITypeLib*>(::InterlockedCompareExchangePointer(reinterpret_cast<void**>(&g_library), nullptr, nullptr));
    if (!*library) {
        ITypeLib* loaded = nullptr;
        RETURN_IF_FAILED(::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &loaded));
        // Another thread may have been first: keep its copy and let go of this one.
        ITypeLib* first = static_cast<ITypeLib*>(
            ::InterlockedCompareExchangePointer(reinterpret_cast<void**>(&g_library), loaded, nullptr));
        if (first) {
            loaded->Release();
            loaded = first;
        }
        *library = loaded;
    }
    (*library)->AddRef();
    return S_OK;
}

}  // namespace

void LockModule() noexcept { ::InterlockedIncrement(&g_locks); }
void UnlockModule() noexcept { ::InterlockedDecrement(&g_locks); }
bool ModuleInUse() noexcept { return ::InterlockedCompareExchange(&g_locks, 0, 0) != 0; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(win32::ThisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) win32::RaiseLastError();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT LoadTypeInfo(REFGUID guid, ITypeInfo** info) noexcept {
    if (!info) return E_POINTER;
    *info = nullptr;
    try {
        ComPtr<ITypeLib> library;
        RETURN_IF_FAILED(TypeLibrary(library.put()));
        return library->GetTypeInfoOfGuid(guid, info);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace selvane::com

using namespace selvane::com;

// Unloaded by FreeLibrary (reserved is null), the library lets go of its type library. At
// process exit the system's own libraries may be gone already, so it leaves it.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        if (ITypeLib* library = static_cast<ITypeLib*>(
                ::InterlockedExchangePointer(reinterpret_cast<void**>(&g_library), nullptr))) {
            library->Release();
        }
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!::IsEqualCLSID(clsid, CLSID_Selvane)) return CLASS_E_CLASSNOTAVAILABLE;
    return SelvaneClassFactory().QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() { return RegisterServer(); }

STDAPI DllUnregisterServer() { return UnregisterServer(); }

// regsvr32 /n /i:user registers for the current user alone, and /u /n /i:user takes that back.
STDAPI DllInstall(BOOL install, LPCWSTR command_line) {
    Scope scope = Scope::kMachine;
    if (!ParseScope(command_line, scope)) return E_INVALIDARG;
    return install ? RegisterServer(scope) : UnregisterServer(scope);
}
