#include "host/win32/picture.h"

#include <olectl.h>

#include <cstring>

#include "host/error.h"
#include "host/win32/win32_base.h"

namespace selvane::win32 {
namespace {

// HIMETRIC (1/100 mm) to screen pixels.
int HimetricToPixels(long himetric, int dpi) { return static_cast<int>(MulDiv(himetric, dpi, 2540)); }

}  // namespace

Picture::Picture(std::string_view bytes) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory == nullptr) Raise(errc::kOutOfMemory);
    void* at = ::GlobalLock(memory);
    if (at == nullptr) {
        ::GlobalFree(memory);
        Raise(errc::kOutOfMemory);
    }
    std::memcpy(at, bytes.data(), bytes.size());
    ::GlobalUnlock(memory);
    IStream* raw_stream = nullptr;
    // The stream frees the memory when it goes.
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &raw_stream))) {
        ::GlobalFree(memory);
        Raise(errc::kOutOfMemory);
    }
    std::unique_ptr<IStream, Release> stream(raw_stream);

    IPicture* raw_picture = nullptr;
    if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&raw_picture))) ||
        raw_picture == nullptr) {
        Raise(errc::kInvalidPicture);
    }
    picture_.reset(raw_picture);
    if (FAILED(picture_->get_Width(&width_)) || FAILED(picture_->get_Height(&height_))) Raise(errc::kInvalidPicture);

    WindowDC screen(nullptr);
    pixels_ = {HimetricToPixels(width_, ::GetDeviceCaps(screen.get(), LOGPIXELSX)),
               HimetricToPixels(height_, ::GetDeviceCaps(screen.get(), LOGPIXELSY))};
}

void Picture::Draw(HDC dc, int x, int y) const {
    // The source rectangle runs bottom-up in HIMETRIC.
    picture_->Render(dc, x, y, pixels_.cx, pixels_.cy, 0, height_, width_, -height_, nullptr);
}

}  // namespace selvane::win32
