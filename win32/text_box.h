// Text1, the pattern box, and Command1, the "&All" button.
#pragma once

#include "win32/child_window.h"

namespace selvane::win32 {

class Win32TextBox final : public Win32Child<host::TextBox> {
public:
    Win32TextBox(const design::Child& record, WindowContext& context, int id);

    std::u16string Text() const override;
    // The edit control reports the change itself (EN_CHANGE), inside the put.
    void SetText(const std::u16string& text) override;

private:
    // A text longer than the edit is given, whole; empty while the edit holds all of it.
    std::u16string held_;
};

class Win32Button final : public Win32Child<host::Button> {
public:
    Win32Button(const design::Child& record, WindowContext& context, int id)
        : Win32Child(record, context, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, id) {}
};

}  // namespace selvane::win32
