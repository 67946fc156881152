// List1: the sorted file list.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "win32/child_window.h"
#include "win32/type_to_find.h"

namespace selvane::win32 {

// The order a sorted list box gives names added one by one, worked out for a whole batch at
// once: an ordinal sort on lower-cased names first, then a merge of its runs with the list's own
// comparison, about one comparison a name where the two orders agree and n log n at worst.
std::vector<std::size_t> SortedListOrder(const std::vector<std::u16string>& names);

// The entry of a list box under the point (in the list's pixels), or -1 where no entry is: a
// list box answers the nearest entry for any point, also in the empty space below the last.
int EntryUnder(HWND list, POINT at);

// Sets how far a list box scrolls sideways, in pixels, showing its horizontal scroll bar only
// when the extent is wider than the list.
void SetListBoxExtent(HWND list, int pixels);

// The width in pixels of text in a font. Latin text is summed from a table of advance widths
// read once per font; anything else is measured by the system.
class TextMeter {
public:
    int Width(HWND window, HFONT font, const std::u16string& text);
    // The font has changed: its table must be read again.
    void Reset() { loaded_ = false; }

private:
    static constexpr char16_t kTableEnd = 0x250;
    HFONT font_ = nullptr;
    bool loaded_ = false;
    std::array<int, kTableEnd> widths_{};
};

// Posted to the surface's window when the file list's replaced window can go (DropRetired).
inline constexpr UINT kDropRetired = WM_APP + 8;

class Win32ListBox final : public Win32Child<host::ListBox> {
public:
    Win32ListBox(const design::Child& record, WindowContext& context, int id);

    void Replace(std::vector<std::u16string> names, int extent) override;
    bool Holds(const std::vector<std::u16string>& names, int extent) const override;
    int Find(const std::u16string& name) const override;
    int TopIndex() const override;
    void SetTopIndex(int index) override;
    int CaretIndex() const override;
    void SetCaretIndex(int index) override;
    int ListCount() const override;
    std::u16string List(int index) const override;
    std::u16string Text() const override;
    int SelCount() const override;
    std::vector<int> SelectedIndices() const override;
    void Select(int index) override;
    SelectionMode Selection() const override { return mode_; }
    void SetSelection(SelectionMode mode) override;
    void SetOrder(NameOrder order) override;
    int TextWidth(const std::u16string& text) const override;
    void SetHorizontalExtent(int pixels) override;

    // Whether the double click the list has just reported landed on an entry. A list box
    // reports one anywhere in its window, also in the empty space below its last entry.
    bool DoubleClickedEntry() const { return double_clicked_entry_; }
    // Told when a new window has taken the old one's place (SetSelection), so that what the
    // surface hooked into the old one is hooked into the new one.
    void SetReplaced(std::function<void(HWND old_window, HWND new_window)> replaced) { replaced_ = std::move(replaced); }
    // Destroys the window a new one replaced, once no message of its own can be under way.
    void DropRetired() { retired_.reset(); }

private:
    // The list's own watch on its messages, in each window it has.
    void HookWindow();
    // Sees the list's messages before it does.
    void Watch(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void FontChanged() override { meter_.Reset(); }
    // Adds the names to the empty list, in the order given.
    void Insert(const std::vector<std::u16string>& names, const std::vector<std::size_t>& order);
    // The order the list shows the names in, as indices into them.
    std::vector<std::size_t> Sorted(const std::vector<std::u16string>& names) const;
    bool ChoosesSeveral() const { return mode_ != SelectionMode::kOne; }
    // What the list shows now: every entry, the chosen ones, the caret and the top entry; and
    // puts it back, each entry at the place the order gives it.
    struct State {
        std::vector<std::u16string> entries;
        std::vector<int> chosen;
        int caret = 0;
        int top = 0;
        bool CaretChosen() const { return std::find(chosen.begin(), chosen.end(), caret) != chosen.end(); }
    };
    State Capture() const;
    void Restore(const State& state, const std::vector<std::size_t>& order);

    mutable TextMeter meter_;
    TypeToFind find_;
    bool double_clicked_entry_ = false;
    // What the last Replace left in the list, for as long as nothing else has changed it.
    struct Shown {
        std::vector<std::u16string> names;
        int extent = 0;
    };
    std::optional<Shown> shown_;
    SelectionMode mode_ = SelectionMode::kOne;
    NameOrder order_ = NameOrder::kPlain;
    std::function<void(HWND, HWND)> replaced_;
    UniqueWindow retired_;
};

}  // namespace selvane::win32
