// The library as a whole: what keeps it loaded, and its type library.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "control/com/com_base.h"

namespace selvane::com {

// The names the class is registered under, in the registry, the assembly manifest and the
// installers (cmake/identifiers.cmake reads them from here).
inline constexpr wchar_t kProgId[] = L"Selvane_OCX.Selvane";
inline constexpr wchar_t kVersionedProgId[] = L"Selvane_OCX.Selvane.1";
inline constexpr wchar_t kClassName[] = L"Selvane Control";
inline constexpr wchar_t kThreadingModel[] = L"Apartment";

// The toolbox picture's resource number in this library (selvane.rc).
inline constexpr int kToolboxBitmap = 30000;
// The component category of controls; the safe-for-scripting ones are deliberately absent.
inline constexpr wchar_t kControlCategory[] = L"{40FC6ED4-2438-11CF-A3DB-080036F12502}";

// How containers are to treat the control: OLEMISC_RECOMPOSEONRESIZE, CANTLINKINSIDE,
// INSIDEOUT, ACTIVATEWHENVISIBLE and SETCLIENTSITEFIRST.
inline constexpr DWORD kMiscStatus = 131473;

// Every live object and every class-factory lock holds the library; DllCanUnloadNow reports
// whether anything does.
void LockModule() noexcept;
void UnlockModule() noexcept;
bool ModuleInUse() noexcept;

// The types of the embedded type library whose information the control hands out: its default
// interface (_Selvane2, which holds every member) and its class.
enum class LibraryType { kSelvaneInterface, kSelvaneClass };

// The type information of one type in the library's embedded type library, with a reference for
// the caller. The type library and each type's information are read once per process, at the
// first call, and let go when the library is unloaded.
HRESULT LoadTypeInfo(LibraryType type, ITypeInfo** info) noexcept;
// Lets go of the type library and every type's information read so far, at unload.
void ReleaseTypeInformation() noexcept;

// The full path of this library, for registration.
std::wstring ModulePath();

}  // namespace selvane::com
