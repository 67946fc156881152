// Text1, the pattern box, and Command1, the "&All" button.
#pragma once

#include "host/win32/child_window.h"

namespace selvane::win32 {

class Win32TextBox final : public Win32Child<host::TextBox> {
public:
    Win32TextBox(const design::Child& record, WindowContext& context, int id);

    std::u16string Text() const override { return window().Text(); }
    // The edit control reports the change itself (EN_CHANGE), inside the put.
    void SetText(const std::u16string& text) override;

private:
    bool FitsSixteenBits(const std::u16string& text) const;
};

class Win32Button final : public Win32Child<host::Button> {
public:
    Win32Button(const design::Child& record, WindowContext& context, int id)
        : Win32Child(record, context, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, id) {}
};

}  // namespace selvane::win32
