#include "win32/picture.h"

#include <olectl.h>
#include <shlwapi.h>

#include <climits>

#include "host/error.h"
#include "win32/win32_base.h"

namespace selvane::win32 {
namespace {

// HIMETRIC (1/100 mm) to screen pixels.
int HimetricToPixels(long himetric, int dpi) { return static_cast<int>(MulDiv(himetric, dpi, 2540)); }

}  // namespace

Picture::Picture(std::string_view bytes) {
    if (bytes.size() > UINT_MAX) Raise(errc::kInvalidPicture);
    const ComPtr<IStream> stream = ComPtr<IStream>::Adopt(
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    if (!stream) Raise(errc::kOutOfMemory);
    if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(picture_.put()))) ||
        !picture_) {
        Raise(errc::kInvalidPicture);
    }
    if (FAILED(picture_->get_Width(&width_)) || FAILED(picture_->get_Height(&height_))) Raise(errc::kInvalidPicture);

    // The picture's own pixels (the system gave its size in HIMETRIC at the screen's resolution),
    // drawn larger at a larger scale, as every text is: its pixels at 100 % times the scale.
    WindowDC screen(nullptr);
    const int dpi_x = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
    const int dpi_y = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    pixels_ = {::MulDiv(HimetricToPixels(width_, dpi_x), dpi_x, 96), ::MulDiv(HimetricToPixels(height_, dpi_y), dpi_y, 96)};
}

void Picture::Draw(HDC dc, int x, int y) const {
    // The source rectangle runs bottom-up in HIMETRIC.
    picture_->Render(dc, x, y, pixels_.cx, pixels_.cy, 0, height_, width_, -height_, nullptr);
}

}  // namespace selvane::win32
