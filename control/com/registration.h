// Self-registration: the class, its ProgIDs and the type library.
#pragma once

#include <windows.h>

namespace selvane::com {

// Whose classes a registration goes into: the machine's (HKEY_LOCAL_MACHINE\Software\Classes,
// which takes an administrator) or the current user's (HKEY_CURRENT_USER\Software\Classes,
// which takes no rights and is seen only by that user's programs).
enum class Scope { kMachine, kUser };

HRESULT RegisterServer(Scope scope = Scope::kMachine) noexcept;
// Removes what RegisterServer writes; keys already gone are no failure. While the other
// bitness's build stays registered in the same scope, the keys both builds share (the ProgIDs,
// the type library's version key) stay too, and only this build's own go.
HRESULT UnregisterServer(Scope scope = Scope::kMachine) noexcept;

// DllInstall's command line: "user" (any case) for the current user's classes, nothing or
// "machine" for the machine's. Anything else is no scope.
bool ParseScope(const wchar_t* command_line, Scope& scope) noexcept;

}  // namespace selvane::com
