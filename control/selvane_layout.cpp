// Proportional layout. Every size is derived from the design values recorded at creation,
// never from the current ones, so resizing never drifts.
#include "appearance/layout.h"
#include "host/attempt.h"
#include "control/selvane.h"

namespace selvane {

// Each value is a step of its own: a child that lacks one member keeps 0 there and has its
// other members recorded.
void Selvane::CaptureLayout() {
    attempt([&] { m_BaseWidth = surface_.ScaleWidth(); });
    attempt([&] { m_BaseHeight = surface_.ScaleHeight(); });
    attempt([&] { m_Layout.assign(static_cast<std::size_t>(surface_.ControlCount()), ControlLayout{}); });
    for (std::size_t i = 0; i < m_Layout.size(); ++i) {
        ControlLayout& r = m_Layout[i];
        attempt([&] { r.Ctl = &surface_.Control(static_cast<int>(i)); });
        if (!r.Ctl) continue;
        attempt([&] { r.Left = r.Ctl->Left(); });
        attempt([&] { r.Top = r.Ctl->Top(); });
        attempt([&] { r.Width = r.Ctl->Width(); });
        attempt([&] { r.Height = r.Ctl->Height(); });
        attempt([&] { r.FontSize = r.Ctl->FontSize(); });
    }
}

// Every child is placed at the scale (Placed). The font goes first, so a child whose height
// follows its font has the new font when its height arrives. Each child moves once; one that
// refuses a value is given the four one by one, and keeps its own for the value it refuses while
// the rest are still set.
void Selvane::Resize() {
    float x = 0;
    float y = 0;
    attempt([&] { x = ScaleFactor(surface_.ScaleWidth(), m_BaseWidth); });
    attempt([&] { y = ScaleFactor(surface_.ScaleHeight(), m_BaseHeight); });
    for (const ControlLayout& r : m_Layout) {
        if (!r.Ctl) continue;
        const Placement p = Placed(r, x, y);
        attempt([&] { r.Ctl->SetFontSize(p.font_size); });
        const bool refused = attempt([&] { r.Ctl->Move(p.left, p.top, p.width, p.height); });
        if (!refused) continue;
        attempt([&] { r.Ctl->SetLeft(p.left); });
        attempt([&] { r.Ctl->SetTop(p.top); });
        attempt([&] { r.Ctl->SetWidth(p.width); });
        attempt([&] { r.Ctl->SetHeight(p.height); });
    }

    // The file list's font has followed the size: its entries are measured again in it.
    host::ListBox& list = surface_.List1();
    float font_size = extent_font_size_;
    attempt([&] { font_size = list.FontSize(); });
    if (font_size == extent_font_size_) return;
    std::vector<std::u16string> names;
    attempt([&] {
        const int count = list.ListCount();
        names.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) names.push_back(list.List(i));
    });
    const int extent = FileListExtent(names);
    attempt([&] { list.SetHorizontalExtent(extent); });
}

}  // namespace selvane
