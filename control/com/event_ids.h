// The dispids of the control's events on __Selvane, as selvane.idl numbers them (the library
// test checks that they agree). A host's sink receives them in IDispatch::Invoke.
#pragma once

#include <oaidl.h>

namespace selvane::com {

inline constexpr DISPID kClickEvent = 1;
inline constexpr DISPID kDblClickEvent = 2;

}  // namespace selvane::com
