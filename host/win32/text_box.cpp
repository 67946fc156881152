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
// Under a large font the text is wider than the edit's 16-bit positions reach, and the scrolling
// ends within a few hundred steps. The edit gets its own font back before anything is drawn, by
// when the caret is back at the start.
void Win32TextBox::SetText(const std::u16string& text) {
    if (text == Text()) return;
    if (text.size() <= kLongText) return window().SetText(text);
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

}  // namespace selvane::win32
