// The surface's tool tips: one tip window that serves every child.
#pragma once

#include <windows.h>

#include <string>

#include "win32/win32_base.h"

namespace selvane::win32 {

class ToolTips {
public:
    explicit ToolTips(HWND owner);

    // Passes the window's mouse messages to the tip window from now on. Every window that
    // may get a tip is watched once, before its first tip.
    void Watch(HWND window);
    // Shows the text when the mouse rests on the window; an empty text removes the tip.
    void Set(HWND window, const std::u16string& text);
    // The text the tip window holds for the window; empty when it has none.
    std::u16string Text(HWND window) const;
    HWND hwnd() const { return tips_.get(); }

private:
    HWND owner_;
    UniqueWindow tips_;
};

}  // namespace selvane::win32
