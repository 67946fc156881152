// The library's exports: the class factory, the unload query and self-registration, for the
// machine or for the current user.
#include <windows.h>
#include <olectl.h>

#include "control/com/class_factory.h"
#include "control/com/module.h"
#include "control/com/registration.h"
#include "control/com/selvane_h.h"
#include "control/com/thread_runtime.h"
#include "win32/deadline.h"
#include "win32/drive_list.h"
#include "win32/message_hooks.h"
#include "win32/shell_icons.h"
#include "win32/win32_base.h"

using namespace selvane::com;

// Unloaded by FreeLibrary (reserved is null), the library lets go of its type information,
// unregisters its window classes and lets go of the runtime's per-thread storage. At process exit
// the system's own libraries may be gone already, so it leaves them.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        ReleaseTypeInformation();
        selvane::win32::UnregisterWindowClasses();
        selvane::win32::ReleaseShellIcons();
        selvane::win32::ReleaseHookTable();
        selvane::win32::ReleaseCallMarks();
        selvane::win32::ReleaseLateDrives();
        ReleaseRuntime();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    selvane::win32::ListenToTracesWhenAsked();
    if (!::IsEqualCLSID(clsid, CLSID_Selvane)) {
        return UnknownIdentifier(u"DllGetClassObject: unknown class", clsid, CLASS_E_CLASSNOTAVAILABLE);
    }
    return SelvaneClassFactory().QueryInterface(iid, object);
}

// A file-system call that missed its deadline still runs code of the library until the system
// gives it back.
STDAPI DllCanUnloadNow() { return ModuleInUse() || selvane::win32::CallsOut() != 0 ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() {
    selvane::win32::ListenToTracesWhenAsked();
    return RegisterServer();
}

STDAPI DllUnregisterServer() {
    selvane::win32::ListenToTracesWhenAsked();
    return UnregisterServer();
}

// regsvr32 /n /i:user registers for the current user alone, and /u /n /i:user takes that back.
STDAPI DllInstall(BOOL install, LPCWSTR command_line) {
    selvane::win32::ListenToTracesWhenAsked();
    Scope scope = Scope::kMachine;
    if (!ParseScope(command_line, scope)) return E_INVALIDARG;
    return install ? RegisterServer(scope) : UnregisterServer(scope);
}
