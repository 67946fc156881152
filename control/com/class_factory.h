// IClassFactory: makes Selvane controls.
#pragma once

#include <unknwn.h>

namespace selvane::com {

// The library's one factory. A reference to it, like a lock, keeps the library loaded.
IClassFactory& SelvaneClassFactory();

}  // namespace selvane::com
