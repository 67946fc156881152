#include "win32/text_box.h"

namespace selvane::win32 {

Win32TextBox::Win32TextBox(const design::Child& record, WindowContext& context, int id)
    : Win32Child(record, context, L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, id) {
    ::SendMessageW(hwnd(), EM_SETLIMITTEXT, 0, 0);
}

// The edit is never given more than host::kLongestShownText units. Besides keeping a pattern
// nobody could read or type from being edited by its visible part, this bounds what Wine's edit
// control costs: at every change it analyses the whole text for right-to-left runs, rescanning
// runs of digits and of currency and percent signs, and brings the caret at the end of new text
// into view one character at a time, both quadratic in the length. Seventy thousand "$" took
// tens of seconds a put.
std::u16string Win32TextBox::Text() const {
    std::u16string shown = window().Text();
    // Anything that set the edit's text behind the box's back has replaced the held text.
    const bool start_of_held = shown.size() == host::kLongestShownText && held_.size() > shown.size() &&
                               held_.compare(0, shown.size(), shown) == 0;
    return start_of_held ? held_ : shown;
}

void Win32TextBox::SetText(const std::u16string& text) {
    const std::u16string whole = text.substr(0, text.find(u'\0'));
    if (whole == Text()) return;
    const bool held = whole.size() > host::kLongestShownText;
    // Before the edit changes: the change it reports runs the listing, which reads the new text.
    held_ = held ? whole : std::u16string();
    ::SendMessageW(hwnd(), EM_SETREADONLY, held, 0);
    window().SetText(held ? whole.substr(0, host::kLongestShownText) : whole);
}

}  // namespace selvane::win32
