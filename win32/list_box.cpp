#include "win32/list_box.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <numeric>
#include <string_view>

#include "navigation/listing.h"
#include "win32/message_hooks.h"

namespace selvane::win32 {
namespace {

bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The comparison a sorted list box uses for its entries. A sorted add puts an entry before
// every entry that compares equal to it, so equal entries end up last-added first.
bool ListPlacesBefore(const std::u16string& added, const std::u16string& present) {
    // Where two names are the same up to a pair of different digits, those digits decide in
    // every locale: digits are never ignored, never part of a letter group, and sort 0 to 9.
    // That settles most neighbours in a folder (report07, report08) without asking the locale.
    const auto [a, p] = std::mismatch(added.begin(), added.end(), present.begin(), present.end());
    if (a != added.end() && p != present.end() && IsAsciiDigit(*a) && IsAsciiDigit(*p)) return *a < *p;
    return ::lstrcmpiW(reinterpret_cast<const wchar_t*>(added.c_str()),
                       reinterpret_cast<const wchar_t*>(present.c_str())) <= 0;
}

}  // namespace

std::vector<std::size_t> SortedListOrder(const std::vector<std::u16string>& names) {
    // Every key in one buffer: one allocation instead of one a name.
    std::vector<std::size_t> starts;
    starts.reserve(names.size() + 1);
    std::wstring keys;
    for (const auto& name : names) {
        starts.push_back(keys.size());
        keys.append(name.begin(), name.end());
    }
    starts.push_back(keys.size());
    if (!keys.empty()) ::CharLowerBuffW(keys.data(), static_cast<DWORD>(keys.size()));
    auto key = [&](std::size_t i) {
        return std::wstring_view(keys.data() + starts[i], starts[i + 1] - starts[i]);
    };

    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int compared = key(a).compare(key(b));
        return compared < 0 || (compared == 0 && a < b);
    });

    // Added one by one in that order, the names land where a merge puts them: the runs the list
    // would leave as they are, merged pairwise, the later run's entry first wherever the list
    // would put it before, so equal entries still come last-added first. Where the two orders
    // disagree throughout, as when the list ignores hyphens, that is n log n comparisons, not n squared.
    auto places_before = [&](std::size_t added, std::size_t present) {
        return ListPlacesBefore(names[added], names[present]);
    };
    std::vector<std::size_t> runs;  // where each run starts, then the end
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || places_before(order[i], order[i - 1])) runs.push_back(i);
    }
    runs.push_back(order.size());
    std::vector<std::size_t> merged(order.size());
    while (runs.size() > 2) {
        std::vector<std::size_t> joined;
        for (std::size_t r = 0; r + 1 < runs.size(); r += 2) {
            const std::size_t first = runs[r];
            const std::size_t middle = runs[r + 1];
            const std::size_t last = r + 2 < runs.size() ? runs[r + 2] : middle;
            std::size_t left = first;
            std::size_t right = middle;
            std::size_t out = first;
            while (left < middle && right < last) {
                merged[out++] = places_before(order[right], order[left]) ? order[right++] : order[left++];
            }
            while (left < middle) merged[out++] = order[left++];
            while (right < last) merged[out++] = order[right++];
            joined.push_back(first);
        }
        joined.push_back(order.size());
        runs.swap(joined);
        order.swap(merged);
    }
    return order;
}

int TextMeter::Width(HWND window, HFONT font, const std::u16string& text) {
    const bool tabled = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < kTableEnd; });
    auto sum = [&] {
        int width = 0;
        for (char16_t c : text) width += widths_[c];
        return width;
    };
    if (tabled && loaded_ && font_ == font) return sum();

    WindowDC dc(window);
    if (dc.get() == nullptr) RaiseLastError();
    const SelectedObject in_font(dc.get(), font);
    if (tabled) {
        loaded_ = ::GetCharWidth32W(dc.get(), 0, kTableEnd - 1, widths_.data()) != FALSE;
        font_ = font;
    }
    SIZE size{};
    const bool measured = (tabled && loaded_) ||
                          ::GetTextExtentPoint32W(dc.get(), reinterpret_cast<const wchar_t*>(text.c_str()),
                                                  static_cast<int>(text.size()), &size);
    if (!measured) Raise(errc::kIllegalFunctionCall);
    return tabled && loaded_ ? sum() : size.cx;
}

int EntryUnder(HWND list, POINT at) {
    const LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y));
    RECT item{};
    if (HIWORD(hit) != 0 || ::SendMessageW(list, LB_GETITEMRECT, LOWORD(hit), reinterpret_cast<LPARAM>(&item)) == LB_ERR ||
        !::PtInRect(&item, at)) {
        return -1;
    }
    return LOWORD(hit);
}

namespace {

// LBS_SORT stays on, so entries added by anyone else land in the list's plain order.
constexpr DWORD kListStyle =
    LBS_NOTIFY | LBS_SORT | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;

DWORD StyleOf(SelectionMode mode) {
    switch (mode) {
    case SelectionMode::kOne: return kListStyle;
    case SelectionMode::kToggle: return kListStyle | LBS_MULTIPLESEL;
    case SelectionMode::kExtend: return kListStyle | LBS_EXTENDEDSEL;
    }
    return kListStyle;
}

// Explorer's comparison, which reads runs of digits as numbers.
int CompareNumbersAsNumbers(const std::u16string& a, const std::u16string& b) {
    return ::StrCmpLogicalW(reinterpret_cast<const wchar_t*>(a.c_str()), reinterpret_cast<const wchar_t*>(b.c_str()));
}

int ComparePlain(const std::u16string& a, const std::u16string& b) {
    return ListPlacesBefore(a, b) ? (ListPlacesBefore(b, a) ? 0 : -1) : 1;
}

}  // namespace

Win32ListBox::Win32ListBox(const design::Child& record, WindowContext& context, int id)
    : Win32Child(record, context, L"LISTBOX", kListStyle, WS_EX_CLIENTEDGE, id) {
    HookWindow();
}

void Win32ListBox::HookWindow() {
    HookMessages(hwnd(), [this](HWND window, UINT message, WPARAM wparam, LPARAM lparam, const PassOn& pass_on) {
        if (message == WM_CHAR && find_.OnChar(window, static_cast<wchar_t>(wparam))) return LRESULT{0};
        if (window == hwnd()) Watch(window, message, wparam, lparam);
        return pass_on();
    });
}

std::vector<std::size_t> Win32ListBox::Sorted(const std::vector<std::u16string>& names) const {
    if (order_ == NameOrder::kNumbersAsNumbers) {
        return listing::NumbersAsNumbersOrder(names, CompareNumbersAsNumbers, ComparePlain);
    }
    return SortedListOrder(names);
}

Win32ListBox::State Win32ListBox::Capture() const {
    State state;
    const int count = ListCount();
    state.entries.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) state.entries.push_back(List(i));
    state.chosen = SelectedIndices();
    state.caret = CaretIndex();
    state.top = TopIndex();
    return state;
}

// The entries go in again at the places the order gives them, each chosen one chosen again and
// the caret last; the list stays as it was on screen until it is drawn once, in the end.
void Win32ListBox::Restore(const State& state, const std::vector<std::size_t>& order) {
    std::optional<Shown> shown = std::move(shown_);
    const RedrawStopped stopped(hwnd());
    ::SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0);
    Insert(state.entries, order);
    std::vector<int> place(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) place[order[i]] = static_cast<int>(i);
    const auto placed = [&](int old_index) { return place[static_cast<std::size_t>(old_index)]; };
    if (ChoosesSeveral()) {
        for (const int chosen : state.chosen) ::SendMessageW(hwnd(), LB_SETSEL, TRUE, placed(chosen));
    }
    if (!state.entries.empty()) {
        if (!ChoosesSeveral() && state.CaretChosen()) {
            ::SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(placed(state.caret)), 0);
        } else {
            ::SendMessageW(hwnd(), LB_SETCARETINDEX, static_cast<WPARAM>(placed(state.caret)), FALSE);
        }
        ::SendMessageW(hwnd(), LB_SETTOPINDEX, static_cast<WPARAM>(placed(state.top)), 0);
    }
    if (shown && static_cast<std::size_t>(ListCount()) == state.entries.size()) shown_ = std::move(shown);
}

// A list box takes its way of choosing only as it is made: the list is made again, with what it
// held. The old window lives on, hidden, until the surface's next message (DropRetired): a
// host may change the mode from inside a Click the old one is still raising.
void Win32ListBox::SetSelection(SelectionMode mode) {
    if (mode == mode_) return;
    State state = Capture();
    if (mode == SelectionMode::kOne) {
        state.chosen = state.CaretChosen() ? std::vector<int>{state.caret} : std::vector<int>{};
    }
    const int extent = static_cast<int>(::SendMessageW(hwnd(), LB_GETHORIZONTALEXTENT, 0, 0));
    UniqueWindow old = window().Recreate(StyleOf(mode));
    mode_ = mode;
    HookWindow();
    SetListBoxExtent(hwnd(), extent);
    std::vector<std::size_t> order(state.entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    Restore(state, order);
    if (replaced_) replaced_(old.get(), hwnd());
    retired_ = std::move(old);
    ::PostMessageW(window().context().surface, kDropRetired, 0, 0);
}

void Win32ListBox::SetOrder(NameOrder order) {
    if (order == order_) return;
    order_ = order;
    const State state = Capture();
    Restore(state, Sorted(state.entries));
}

void Win32ListBox::Watch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_LBUTTONDBLCLK) {
        double_clicked_entry_ = EntryUnder(window, {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}) >= 0;
    } else if (message == LB_SETHORIZONTALEXTENT) {
        if (shown_) shown_->extent = static_cast<int>(wparam);
    } else if (message == LB_ADDSTRING || message == LB_INSERTSTRING || message == LB_DELETESTRING ||
               message == LB_RESETCONTENT || message == LB_DIR || message == LB_ADDFILE || message == LB_SETCOUNT) {
        // Entries changed by anyone else: what the list holds is no longer known.
        shown_.reset();
    }
}

// The list stops drawing from the clearing until the new entries are in: redrawn after every
// entry, it takes milliseconds an entry, and emptied on screen, Wine hides its scroll bar and
// shows it again when the entries come. Turning drawing back on draws the scroll bars at once,
// which under Wine's themes costs milliseconds, more than a small folder's whole listing; so a
// listing that finds what the list already shows leaves the list alone.
void Win32ListBox::Replace(std::vector<std::u16string> names, int extent) {
    if (Holds(names, extent)) {
        // What emptying the list leaves: the caret back on the first entry, where the next
        // arrow key starts, and not on the entry the user last chose.
        if (ChoosesSeveral()) {
            ::SendMessageW(hwnd(), LB_SETSEL, FALSE, -1);
        } else {
            ::SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        }
        ::SendMessageW(hwnd(), LB_SETCARETINDEX, 0, FALSE);
        ::SendMessageW(hwnd(), LB_SETTOPINDEX, 0, 0);
        return;
    }
    const RedrawStopped stopped(hwnd());
    ::SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0);
    SetListBoxExtent(hwnd(), extent);
    Insert(names, Sorted(names));
    // A list that couldn't take every name is filled again next time.
    if (static_cast<std::size_t>(ListCount()) == names.size()) shown_ = Shown{std::move(names), extent};
}

void Win32ListBox::Insert(const std::vector<std::u16string>& names, const std::vector<std::size_t>& order) {
    if (names.empty()) return;
    std::size_t characters = 0;
    for (const auto& name : names) characters += name.size() + 1;
    ::SendMessageW(hwnd(), LB_INITSTORAGE, names.size(), static_cast<LPARAM>(characters * sizeof(wchar_t)));
    // Inserting at the end in the list's own order is what a sorted add would give, without
    // the list searching for each entry's place. The entries go straight to the list box's own
    // procedure: the hooks watching the window (the tool tip's, the screen reader's, the list's
    // own) have no business with them.
    const auto list_procedure = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(hwnd(), GCLP_WNDPROC));
    for (std::size_t index : order) {
        ::CallWindowProcW(list_procedure, hwnd(), LB_INSERTSTRING, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(names[index].c_str()));
    }
}

bool Win32ListBox::Holds(const std::vector<std::u16string>& names, int extent) const {
    return shown_ && shown_->extent == extent && shown_->names == names;
}

// The list's own search ignores case, so a folder holding two names that differ in case only
// may answer with the other one first: the search goes on past it. It looks in the list's
// order, which is ours for the entries Replace adds; should it miss, every entry is read.
int Win32ListBox::Find(const std::u16string& name) const {
    const auto text = reinterpret_cast<LPARAM>(name.c_str());
    const LRESULT first = ::SendMessageW(hwnd(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text);
    for (LRESULT found = first; found != LB_ERR;) {
        if (List(static_cast<int>(found)) == name) return static_cast<int>(found);
        found = ::SendMessageW(hwnd(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(found), text);
        if (found == first) break;
    }
    const int count = ListCount();
    for (int index = 0; index < count; ++index) {
        if (List(index) == name) return index;
    }
    return -1;
}

int Win32ListBox::TopIndex() const {
    const LRESULT top = ::SendMessageW(hwnd(), LB_GETTOPINDEX, 0, 0);
    return top == LB_ERR ? 0 : static_cast<int>(top);
}

void Win32ListBox::SetTopIndex(int index) {
    if (index < 0 || index >= ListCount()) Raise(errc::kInvalidPropertyArrayIndex);
    ::SendMessageW(hwnd(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

int Win32ListBox::CaretIndex() const {
    const LRESULT caret = ::SendMessageW(hwnd(), LB_GETCARETINDEX, 0, 0);
    return caret == LB_ERR ? 0 : static_cast<int>(caret);
}

// A list that allows one selection takes a caret of its own only while nothing is selected.
void Win32ListBox::SetCaretIndex(int index) {
    if (index < 0 || index >= ListCount()) Raise(errc::kInvalidPropertyArrayIndex);
    if ((!ChoosesSeveral() && SelCount() != 0) ||
        ::SendMessageW(hwnd(), LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE) == LB_ERR) {
        Raise(errc::kIllegalFunctionCall);
    }
}

int Win32ListBox::ListCount() const {
    const LRESULT count = ::SendMessageW(hwnd(), LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

std::u16string Win32ListBox::List(int index) const {
    const LRESULT length = ::SendMessageW(hwnd(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (index < 0 || length == LB_ERR) Raise(errc::kInvalidPropertyArrayIndex);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(hwnd(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    if (copied == LB_ERR) Raise(errc::kInvalidPropertyArrayIndex);
    text.resize(static_cast<std::size_t>(copied));
    return Utf16(text);
}

std::u16string Win32ListBox::Text() const {
    if (ChoosesSeveral()) {
        const LRESULT caret = ::SendMessageW(hwnd(), LB_GETCARETINDEX, 0, 0);
        const bool chosen = caret != LB_ERR && ::SendMessageW(hwnd(), LB_GETSEL, static_cast<WPARAM>(caret), 0) > 0;
        return chosen ? List(static_cast<int>(caret)) : u"";
    }
    const LRESULT selected = ::SendMessageW(hwnd(), LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? u"" : List(static_cast<int>(selected));
}

int Win32ListBox::SelCount() const {
    if (ChoosesSeveral()) return std::max(0, static_cast<int>(::SendMessageW(hwnd(), LB_GETSELCOUNT, 0, 0)));
    return ::SendMessageW(hwnd(), LB_GETCURSEL, 0, 0) == LB_ERR ? 0 : 1;
}

std::vector<int> Win32ListBox::SelectedIndices() const {
    if (!ChoosesSeveral()) {
        const LRESULT selected = ::SendMessageW(hwnd(), LB_GETCURSEL, 0, 0);
        return selected == LB_ERR ? std::vector<int>{} : std::vector<int>{static_cast<int>(selected)};
    }
    std::vector<int> chosen(static_cast<std::size_t>(SelCount()));
    if (chosen.empty()) return chosen;
    const LRESULT got = ::SendMessageW(hwnd(), LB_GETSELITEMS, chosen.size(), reinterpret_cast<LPARAM>(chosen.data()));
    chosen.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return chosen;
}

// LB_SETCURSEL and LB_SETSEL notify nobody: the parent hears LBN_SELCHANGE only from the user's
// actions.
void Win32ListBox::Select(int index) {
    if (index < 0 || index >= ListCount()) Raise(errc::kInvalidPropertyArrayIndex);
    if (ChoosesSeveral()) {
        ::SendMessageW(hwnd(), LB_SETSEL, TRUE, index);
        ::SendMessageW(hwnd(), LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
        return;
    }
    ::SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32ListBox::TextWidth(const std::u16string& text) const { return meter_.Width(hwnd(), window().font(), text); }

void Win32ListBox::SetHorizontalExtent(int pixels) { SetListBoxExtent(hwnd(), pixels); }

// A list box given a new extent sets its horizontal scroll bar's range against the page it was
// given last, and the page is never wider than the range: a bar that should stay hidden, the
// extent growing but short of the list's width, is shown, and hidden again when the list next
// works out its bars. Each time the frame changes twice, which takes Wine tens of milliseconds.
// So the range and the page that the list box itself gives the bar are set first, together.
void SetListBoxExtent(HWND list, int pixels) {
    if (::SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0) == pixels) return;
    RECT client{};
    ::GetClientRect(list, &client);
    SCROLLINFO bar{};
    bar.cbSize = sizeof(bar);
    bar.fMask = SIF_RANGE | SIF_PAGE;
    bar.nMax = std::max(pixels - 1, 0);
    bar.nPage = static_cast<UINT>(std::max(client.right, LONG{0}));
    ::SetScrollInfo(list, SB_HORZ, &bar, FALSE);
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0);
}

}  // namespace selvane::win32
