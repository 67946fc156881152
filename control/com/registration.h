// Self-registration: the class, its ProgIDs and the type library.
#pragma once

#include <windows.h>

namespace selvane::com {

HRESULT RegisterServer() noexcept;
// Removes what RegisterServer writes; keys already gone are no failure.
HRESULT UnregisterServer() noexcept;

}  // namespace selvane::com
