#include "win32/child_window.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "appearance/layout.h"

namespace selvane::win32 {

// Resolutions and pixel counts are small enough to be exact as floats.
int WindowContext::PixelsX(float twips) const {
    return static_cast<int>(std::lround(twips * static_cast<float>(dpi_x) / 1440.0f));
}
int WindowContext::PixelsY(float twips) const {
    return static_cast<int>(std::lround(twips * static_cast<float>(dpi_y) / 1440.0f));
}
float WindowContext::TwipsX(int pixels) const { return static_cast<float>(pixels) * 1440.0f / static_cast<float>(dpi_x); }
float WindowContext::TwipsY(int pixels) const { return static_cast<float>(pixels) * 1440.0f / static_cast<float>(dpi_y); }

ChildWindow::ChildWindow(const design::Child& record, WindowContext& context, const wchar_t* window_class,
                         DWORD style, DWORD ex_style, int id)
    : record_(record),
      context_(context),
      window_class_(window_class),
      ex_style_(ex_style),
      id_(id),
      left_(record.left),
      top_(record.top),
      width_(record.width),
      height_(record.height) {
    const std::wstring text = Wide(std::u16string(record.text));
    window_.reset(::CreateWindowExW(ex_style, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                                    context.PixelsX(left_), context.PixelsY(top_), context.PixelsX(width_),
                                    context.PixelsY(height_), context.surface,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(),
                                    nullptr));
    if (!window_) RaiseLastError();
    placed_ = {context.PixelsX(left_), context.PixelsY(top_), context.PixelsX(left_) + context.PixelsX(width_),
               context.PixelsY(top_) + context.PixelsY(height_)};
    SetFont(font_size_, bold_);
}

void ChildWindow::Place(float left, float top, float width, float height) {
    // Negative sizes are what a shrinking layout may ask for; a window can't be smaller than nothing.
    const RECT wanted{context_.PixelsX(left), context_.PixelsY(top), 0, 0};
    const int pixel_width = std::max(0, context_.PixelsX(width));
    const int pixel_height = std::max(0, context_.PixelsY(height)) + extra_height_;
    // A layout sets a child's four values one by one, and most steps of a resize move a child by
    // less than a pixel: the window moves only when its pixels do, and only in what changed.
    const bool moves = wanted.left != placed_.left || wanted.top != placed_.top;
    const bool sizes = pixel_width != placed_.right - placed_.left || pixel_height != placed_.bottom - placed_.top;
    if (moves || sizes) {
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (moves ? 0u : SWP_NOMOVE) | (sizes ? 0u : SWP_NOSIZE);
        if (!::SetWindowPos(hwnd(), nullptr, wanted.left, wanted.top, pixel_width, pixel_height, flags)) RaiseLastError();
        placed_ = {wanted.left, wanted.top, wanted.left + pixel_width, wanted.top + pixel_height};
    }
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void ChildWindow::SetFont(float points, bool bold) {
    LOGFONTW wanted = context_.base_font;
    wanted.lfHeight = -FontPixels(points, context_.dpi_y);
    wanted.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    // The font is made again only when its pixels change: most steps of a resize leave them.
    if (font_ && wanted.lfHeight == font_height_ && bold == bold_) {
        font_size_ = points;
        return;
    }
    UniqueFont font(::CreateFontIndirectW(&wanted));
    if (!font) Raise(errc::kOutOfMemory);
    ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);
    font_height_ = wanted.lfHeight;
    // A list's height follows its font (whole lines): the next placing sizes it again in any case.
    placed_ = {-1, -1, -1, -1};
    font_size_ = points;
    bold_ = bold;
}

std::u16string ChildWindow::Text() const {
    const int length = ::GetWindowTextLengthW(hwnd());
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
    const int copied = ::GetWindowTextW(hwnd(), buffer.data(), length + 1);
    return Utf16(buffer.data(), static_cast<std::size_t>(std::max(0, copied)));
}

void ChildWindow::SetText(const std::u16string& text) {
    if (!::SetWindowTextW(hwnd(), Wide(text).c_str())) RaiseLastError();
}

}  // namespace selvane::win32

namespace selvane::win32 {

UniqueWindow ChildWindow::Recreate(DWORD style) {
    const HWND old = hwnd();
    const DWORD shown = ::GetWindowLongW(old, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED);
    RECT at{};
    ::GetWindowRect(old, &at);
    ::MapWindowPoints(nullptr, context_.surface, reinterpret_cast<POINT*>(&at), 2);
    UniqueWindow window(::CreateWindowExW(ex_style_, window_class_, L"", WS_CHILD | WS_CLIPSIBLINGS | shown | style,
                                          at.left, at.top, at.right - at.left, at.bottom - at.top, context_.surface,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), ThisModule(), nullptr));
    if (!window) RaiseLastError();
    ::SetWindowPos(window.get(), old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SendMessageW(window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    const bool focused = ::GetFocus() == old;
    ::SetWindowLongPtrW(old, GWLP_ID, 0);
    ::ShowWindow(old, SW_HIDE);
    std::swap(window, window_);
    if (focused) ::SetFocus(hwnd());
    return window;
}

void ChildWindow::set_extra_height(int pixels) {
    extra_height_ = pixels;
    Place(left_, top_, width_, height_);
}

int FontHeight(HWND window, HFONT font) {
    WindowDC dc(window);
    if (dc.get() == nullptr) return 0;
    const SelectedObject in_font(dc.get(), font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    return metrics.tmHeight;
}

}  // namespace selvane::win32
