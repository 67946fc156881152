// Label1 and Label2: a static text with its own colour and its own font.
#pragma once

#include "win32/child_window.h"

namespace selvane::win32 {

class Win32Label final : public Win32Child<host::Label> {
public:
    Win32Label(const design::Child& record, WindowContext& context, int id);

    std::u16string Caption() const override { return window().Text(); }
    // A static control draws its text again whenever it is set, the same text or not.
    void SetCaption(const std::u16string& caption) override {
        if (window().Text() != caption) window().SetText(caption);
    }
    Color ForeColor() const override { return color_; }
    void SetForeColor(Color color) override;
    TruthValue FontBold() const override { return ToTruth(window().bold()); }
    void SetFontBold(TruthValue bold) override { window().SetFont(window().font_size(), IsTrue(bold)); }

private:
    // As set; the surface draws the text in the colour drawn for it (DrawnRgb).
    Color color_ = 0;
};

}  // namespace selvane::win32
