#include "host/win32/text_box.h"

namespace selvane::win32 {

Win32TextBox::Win32TextBox(const design::Child& record, WindowContext& context, int id)
    : Win32Child(record, context, L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, id) {
    ::SendMessageW(hwnd(), EM_SETLIMITTEXT, 0, 0);
}

void Win32TextBox::SetText(const std::u16string& text) {
    if (text == Text()) return;
    window().SetText(text);
}

}  // namespace selvane::win32
