// A picture from the bytes of an image file (GIF, JPEG, BMP, icon), as the system's picture
// object reads it, transparency included.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string_view>

#include "win32/handles.h"

namespace selvane::win32 {

class Picture {
public:
    // Fails with "Invalid picture" when the bytes aren't an image the system reads.
    explicit Picture(std::string_view bytes);

    // Its size in pixels on the screen.
    SIZE Pixels() const { return pixels_; }
    // Draws it at its own size with its top-left corner at the point; transparent parts leave
    // the DC's pixels as they are.
    void Draw(HDC dc, int x, int y) const;

private:
    ComPtr<IPicture> picture_;
    OLE_XSIZE_HIMETRIC width_ = 0;
    OLE_YSIZE_HIMETRIC height_ = 0;
    SIZE pixels_{};
};

}  // namespace selvane::win32
