#include "win32/label.h"

namespace selvane::win32 {

// SS_NOPREFIX: an "&" in a file's details is text, not an access key. SS_NOTIFY: the label gets
// the mouse, so its tool tip can show.
Win32Label::Win32Label(const design::Child& record, WindowContext& context, int id)
    : Win32Child(record, context, L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, id) {}

void Win32Label::SetForeColor(Color color) {
    TranslateColor(color);  // refuses a colour that names nothing, with 380
    color_ = color;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

}  // namespace selvane::win32
