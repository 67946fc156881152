// What the seven child windows share: a place given in twips, a font of their own, a tool tip.
#pragma once

#include <windows.h>

#include <string>

#include "host/controls.h"
#include "host/design.h"
#include "win32/read_ahead.h"
#include "win32/tool_tips.h"
#include "win32/win32_base.h"

namespace selvane::win32 {

// The surface's side of its children: where they live, the screen's resolution, the font they
// start from, the tip window, and where their events go.
struct WindowContext {
    HWND surface = nullptr;
    int dpi_x = 96;
    int dpi_y = 96;
    LOGFONTW base_font{};
    ToolTips* tips = nullptr;
    host::ChildEvents* sink = nullptr;
    ReadAhead* reads = nullptr;

    int PixelsX(float twips) const;
    int PixelsY(float twips) const;
    float TwipsX(int pixels) const;
    float TwipsY(int pixels) const;
};

// One child window. The position is kept in twips as it was put, so the layout's arithmetic
// never drifts through rounding to pixels.
class ChildWindow {
public:
    ChildWindow(const design::Child& record, WindowContext& context, const wchar_t* window_class, DWORD style,
                DWORD ex_style, int id);

    HWND hwnd() const { return window_.get(); }
    WindowContext& context() const { return context_; }
    const design::Child& record() const { return record_; }

    float left() const { return left_; }
    float top() const { return top_; }
    float width() const { return width_; }
    float height() const { return height_; }
    void Place(float left, float top, float width, float height);

    float font_size() const { return font_size_; }
    bool bold() const { return bold_; }
    HFONT font() const { return font_.get(); }
    void SetFont(float points, bool bold);

    std::u16string Text() const;
    void SetText(const std::u16string& text);

    // Pixels the window reaches below its designed height: a drop-down list's open part.
    void set_extra_height(int pixels);

    // Replaces the window with a new one of the same class, identifier, place and font and
    // another style (a list box reads its way of choosing once, as it is made): in the old
    // one's place in the tab order, with the focus when the old one had it. The old window is
    // handed back hidden, with no identifier: a message of its own may still be under way.
    UniqueWindow Recreate(DWORD style);

private:
    const design::Child& record_;
    WindowContext& context_;
    const wchar_t* window_class_;
    DWORD ex_style_;
    int id_;
    UniqueWindow window_;
    float left_, top_, width_, height_;
    float font_size_ = design::kFontSize;
    bool bold_ = false;
    int extra_height_ = 0;
    // Where the window is, in pixels, and its font's height as asked of the system.
    RECT placed_{};
    LONG font_height_ = 0;
    UniqueFont font_;
};

// The height of a line of text in the font, in pixels.
int FontHeight(HWND window, HFONT font);

// The ChildControl members of a child, for each of the host's child interfaces.
template <class Base>
class Win32Child : public Base {
public:
    Win32Child(const design::Child& record, WindowContext& context, const wchar_t* window_class, DWORD style,
               DWORD ex_style, int id)
        : window_(record, context, window_class, style, ex_style, id) {}

    std::u16string Name() const override { return std::u16string(window_.record().name); }

    float Left() const override { return window_.left(); }
    float Top() const override { return window_.top(); }
    float Width() const override { return window_.width(); }
    float Height() const override { return window_.height(); }
    void SetLeft(float twips) override { window_.Place(twips, Top(), Width(), Height()); }
    void SetTop(float twips) override { window_.Place(Left(), twips, Width(), Height()); }
    void SetWidth(float twips) override { window_.Place(Left(), Top(), twips, Height()); }
    void SetHeight(float twips) override { window_.Place(Left(), Top(), Width(), twips); }
    void Move(float left, float top, float width, float height) override { window_.Place(left, top, width, height); }

    float FontSize() const override { return window_.font_size(); }
    void SetFontSize(float points) override {
        window_.SetFont(points, window_.bold());
        FontChanged();
    }

    void SetToolTipText(const std::u16string& text) override { window_.context().tips->Set(hwnd(), text); }

    HWND hwnd() const { return window_.hwnd(); }

protected:
    // For children whose items are sized by the font.
    virtual void FontChanged() {}
    // The control's calls to the disk.
    ReadAhead& reads() const { return *window_.context().reads; }
    ChildWindow& window() { return window_; }
    const ChildWindow& window() const { return window_; }
    host::ChildEvents* events() const { return window_.context().sink; }

private:
    ChildWindow window_;
};

}  // namespace selvane::win32
