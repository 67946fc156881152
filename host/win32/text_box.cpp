#include "host/win32/text_box.h"

namespace selvane::win32 {
namespace {

// Text longer than this goes into the edit under a large font (see SetText).
constexpr std::size_t kLongText = 256;
constexpr LONG kLargeFontPixels = 400;

}  // namespace

Win32TextBox::Win32TextBox(const design::Child& record, WindowContext& context, int id)
    : Win32Child(record, context, L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, id) {
    ::SendMessageW(hwnd(), EM_SETLIMITTEXT, 0, 0);
}

// Wine's single-line edit brings the caret at the end of new text into view one character at a
// time, measuring the text up to the caret at every step: quadratic in the text's length, and
// tens of seconds for a pattern of 30,000 characters in the one-pixel font of a tiny control.
// The steps end early once the text is wider than the edit's 16-bit positions reach, so a long
// text narrower than that goes in under a large font, and the edit gets its own font back before
// anything is drawn, by when the caret is back at the start. Each font change costs the edit
// another analysis of the whole text, so wider text goes in as it is.
void Win32TextBox::SetText(const std::u16string& text) {
    if (text == Text()) return;
    if (text.size() <= kLongText || !FitsSixteenBits(text)) return window().SetText(text);
    LOGFONTW large = window().context().base_font;
    large.lfHeight = -kLargeFontPixels;
    UniqueFont font(::CreateFontIndirectW(&large));
    if (font) ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    auto restore = [&] {
        // The font the box has now: the change handling that runs inside the put may have sized it.
        if (font) ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(window().font()), TRUE);
    };
    try {
        window().SetText(text);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

// Whether the text, in the box's font, is narrower than 16-bit positions reach.
bool Win32TextBox::FitsSixteenBits(const std::u16string& text) const {
    HDC dc = ::GetDC(hwnd());
    if (!dc) return true;
    const HGDIOBJ old = ::SelectObject(dc, window().font());
    SIZE extent{};
    const std::wstring wide = Wide(text);
    const BOOL measured = ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd(), dc);
    return !measured || extent.cx < 0x8000;
}

}  // namespace selvane::win32
