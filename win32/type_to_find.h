// Typing a name into a list box finds it (navigation/typing.h), in place of the list box's own
// search, which looks at the first letter alone.
#pragma once

#include <windows.h>

#include "navigation/typing.h"

namespace selvane::win32 {

class TypeToFind {
public:
    // A character typed into the list: the entry found becomes the chosen one as an arrow key
    // would choose it, the parent told as the list tells it (LBN_SELCHANGE). Answers whether the
    // character was one to look for; control characters and Ctrl or Alt with a key are not.
    bool OnChar(HWND list, wchar_t typed);

private:
    typing::TypedText typed_;
};

}  // namespace selvane::win32
