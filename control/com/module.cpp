// The library as a whole: what keeps it loaded, where it is, and its type information.
#include "control/com/module.h"

#include <iterator>

#include "control/com/selvane_h.h"
#include "win32/win32_base.h"

namespace selvane::com {
namespace {

// Apartment-threaded, but a container may create instances on several threads.
LONG g_locks = 0;

// What is read once per process and held until the library is unloaded: the embedded type
// library, and the information of each type the control hands out. Each holds one reference.
ITypeLib* g_library = nullptr;
ITypeInfo* g_type_infos[2] = {};
const GUID* const kTypeGuids[] = {&IID__Selvane2, &CLSID_Selvane};
static_assert(std::size(kTypeGuids) == std::size(g_type_infos));

// What slot holds, filled by load at the first call; when two threads race, the first one's
// stays. The caller gets a reference of its own.
template <class Interface, class Load>
HRESULT Cached(Interface*& slot, Load&& load, Interface** out) {
    auto** shared = reinterpret_cast<void**>(&slot);
    auto* held = static_cast<Interface*>(::InterlockedCompareExchangePointer(shared, nullptr, nullptr));
    if (!held) {
        Interface* loaded = nullptr;
        RETURN_IF_FAILED(load(&loaded));
        held = static_cast<Interface*>(::InterlockedCompareExchangePointer(shared, loaded, nullptr));
        if (held) {
            loaded->Release();
        } else {
            held = loaded;
        }
    }
    held->AddRef();
    *out = held;
    return S_OK;
}

template <class Interface>
void ReleaseCached(Interface*& slot) {
    if (auto* held = static_cast<Interface*>(::InterlockedExchangePointer(reinterpret_cast<void**>(&slot), nullptr))) {
        held->Release();
    }
}

HRESULT TypeLibrary(ITypeLib** library) {
    return Cached(g_library, [](ITypeLib** loaded) {
        return ::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, loaded);
    }, library);
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

HRESULT LoadTypeInfo(LibraryType type, ITypeInfo** info) noexcept {
    if (!info) return E_POINTER;
    *info = nullptr;
    const auto index = static_cast<std::size_t>(type);
    try {
        return Cached(g_type_infos[index], [&](ITypeInfo** loaded) {
            ComPtr<ITypeLib> library;
            RETURN_IF_FAILED(TypeLibrary(library.put()));
            return library->GetTypeInfoOfGuid(*kTypeGuids[index], loaded);
        }, info);
    } catch (...) {
        return Traced(CaughtFailure(), u"loading type information");
    }
}

void ReleaseTypeInformation() noexcept {
    for (ITypeInfo*& info : g_type_infos) ReleaseCached(info);
    ReleaseCached(g_library);
}

}  // namespace selvane::com
