#include "win32/dir_list.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <optional>

#include "appearance/layout.h"
#include "win32/file_access.h"
#include "win32/list_box.h"
#include "win32/message_hooks.h"
#include "win32/shell_icons.h"
#include "navigation/list_view.h"
#include "navigation/listing.h"
#include "paths/path_text.h"

namespace selvane::win32 {
namespace {

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring Join(const std::wstring& directory, const std::wstring& name) {
    return Wide(paths::Join(Utf16View(directory), Utf16View(name)));
}

// Why a path names no directory the list can show, as the list reports it: 76 for a name that
// doesn't exist or can't, the system's own reason otherwise (a drive not ready, say).
[[noreturn]] void RaiseNoDirectory(DWORD error) {
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_FILENAME_EXCED_RANGE) {
        throw RuntimeError(errc::kPathNotFound).WithSystemCode(error);
    }
    RaiseWin32(error);
}

// How far each level is indented, for items of that height.
int IndentStep(int item_height) { return std::max(8, item_height * 2 / 3); }

// The room the highlight and the focus box leave beside an entry's text.
constexpr int kTextPadding = 4;

// The name the file system itself gives the entry, or the name as asked when it can't say.
std::wstring StoredName(ReadAhead& reads, const std::wstring& parent, const std::wstring& name) {
    std::vector<FoundEntry> found;
    return reads.ListEntries(Join(parent, name), FindExSearchNameMatch, found, 1) && !found.empty() ? found.front().name
                                                                                              : name;
}

}  // namespace

std::vector<std::wstring> VisibleSubdirectories(ReadAhead& reads, const std::wstring& directory, NameOrder order) {
    std::vector<std::wstring> names;
    std::vector<FoundEntry> found;
    if (!reads.ListEntries(Join(directory, L"*"), FindExSearchLimitToDirectories, found)) return names;
    for (FoundEntry& entry : found) {
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
        if (entry.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        if (entry.name == L"." || entry.name == L"..") continue;
        names.push_back(std::move(entry.name));
    }
    SortFolderNames(names, order);
    return names;
}

void SortFolderNames(std::vector<std::wstring>& names, NameOrder order) {
    const auto plain = [](const std::wstring& a, const std::wstring& b) {
        return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) - CSTR_EQUAL;
    };
    if (order == NameOrder::kPlain) {
        std::stable_sort(names.begin(), names.end(),
                         [&](const std::wstring& a, const std::wstring& b) { return plain(a, b) < 0; });
        return;
    }
    const auto numbers = [](const std::wstring& a, const std::wstring& b) { return ::StrCmpLogicalW(a.c_str(), b.c_str()); };
    listing::SortNumbersAsNumbers(names, numbers, plain);
}

Win32DirList::Win32DirList(const design::Child& record, WindowContext& context, int id,
                           const std::u16string& start_path)
    : Win32Child(record, context, L"LISTBOX",
                 LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT |
                     WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                 WS_EX_CLIENTEDGE, id) {
    // Enter opens the folder, also in a dialog, which would take Enter for its default button.
    HookMessages(hwnd(), [this](HWND window, UINT message, WPARAM wparam, LPARAM lparam, const PassOn& pass_on) {
        if (message == WM_CHAR && find_.OnChar(window, static_cast<wchar_t>(wparam))) return LRESULT{0};
        LRESULT result = pass_on();
        const auto* key = reinterpret_cast<const MSG*>(lparam);
        if (message == WM_GETDLGCODE && key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
            result |= DLGC_WANTMESSAGE;
        }
        return result;
    });
    FontChanged();
    try {
        path_ = Resolve(paths::Parse(start_path));
    } catch (const RuntimeError&) {
        path_ = L"C:\\";
    }
    Rebuild();
}

void Win32DirList::SetPath(const paths::ParsedPath& path) { ChangeTo(Resolve(path)); }

std::wstring Win32DirList::Resolve(const paths::ParsedPath& path) const {
    if (path.kind == paths::PathKind::kEmpty) Raise(errc::kPathNotFound);
    // A bare drive names the current directory when it is on that drive.
    const std::wstring wanted = Wide(paths::AgainstFolder(path, Utf16View(path_)));
    // Makes "..", "." and "/" plain; drive letters are shown in capitals, as Windows shows them.
    std::wstring made_full = FullPath(wanted);
    if (made_full.empty()) RaiseNoDirectory(::GetLastError());
    paths::ParsedPath full = paths::Parse(Utf16View(made_full));
    if (full.HasDrive()) full.text[0] = static_cast<char16_t>(::towupper(full.text[0]));
    while (full.text.size() > full.root_length && paths::IsSeparator(full.text.back())) full.text.pop_back();

    // A root without its separator ("\\server\share", a bare "d:") is asked about with one.
    const bool bare_root = full.IsRoot() && !paths::IsSeparator(full.text.back());
    const DWORD attributes = reads().FileAttributes(Wide(bare_root ? full.text + u'\\' : full.text));
    if (attributes == INVALID_FILE_ATTRIBUTES) RaiseNoDirectory(::GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) Raise(errc::kPathNotFound);

    std::wstring resolved = Wide(std::u16string(full.Root()));
    for (const std::u16string& name : full.components) resolved = Join(resolved, StoredName(reads(), resolved, Wide(name)));
    return resolved;
}

void Win32DirList::ChangeTo(const std::wstring& path) {
    if (SameText(path, path_)) return;
    path_ = path;
    Rebuild();
    if (host::ChildEvents* sink = events()) sink->OnDir1Change();
}

void Win32DirList::Rebuild() {
    const RedrawStopped stopped(hwnd());
    Fill(VisibleSubdirectories(reads(), path_, order_));
}

void Win32DirList::Fill(std::vector<std::wstring> subfolders) {
    entries_.clear();
    const paths::ParsedPath shown = paths::Parse(Utf16View(path_));
    std::wstring walked = Wide(std::u16string(shown.Root()));
    entries_.push_back({walked, walked, 0, true});
    int depth = 0;
    for (const std::u16string& name : shown.components) {
        walked = Join(walked, Wide(name));
        entries_.push_back({Wide(name), walked, ++depth, true});
    }
    const std::size_t current = entries_.size() - 1;
    for (std::wstring& name : subfolders) {
        std::wstring full = Join(path_, name);
        entries_.push_back({std::move(name), std::move(full), depth + 1, false});
    }

    ::SendMessageW(hwnd(), LB_RESETCONTENT, 0, 0);
    for (const Entry& entry : entries_) {
        ::SendMessageW(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name.c_str()));
    }
    ::SendMessageW(hwnd(), LB_SETCURSEL, current, 0);
    FitExtent();
}

// The list stays as the user left it, so that a folder added or removed elsewhere doesn't move
// what they look at: scrolled where it was, the highlight on the folder it was on, or on the
// nearest one left when that one has gone; and when the folders are the same, not even drawn.
void Win32DirList::Reread() {
    Show(VisibleSubdirectories(reads(), path_, order_));
}

// The folders shown, sorted again: nothing is read from the disk.
void Win32DirList::SetOrder(NameOrder order) {
    if (order == order_) return;
    order_ = order;
    std::vector<std::wstring> subfolders;
    for (const Entry& entry : entries_) {
        if (!entry.open) subfolders.push_back(entry.name);
    }
    SortFolderNames(subfolders, order_);
    Show(std::move(subfolders));
}

void Win32DirList::Show(std::vector<std::wstring> subfolders) {
    const auto first_subfolder = std::find_if(entries_.begin(), entries_.end(), [](const Entry& e) { return !e.open; });
    const bool same = std::equal(first_subfolder, entries_.end(), subfolders.begin(), subfolders.end(),
                                 [](const Entry& entry, const std::wstring& name) { return entry.name == name; });
    if (same) return;

    const LRESULT top = ::SendMessageW(hwnd(), LB_GETTOPINDEX, 0, 0);
    const LRESULT highlight = ::SendMessageW(hwnd(), LB_GETCURSEL, 0, 0);
    const std::vector<Entry> before = std::move(entries_);
    const RedrawStopped stopped(hwnd());
    Fill(std::move(subfolders));
    auto index_of = [&](const std::wstring& path) {
        const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return SameText(e.path, path); });
        return found == entries_.end() ? LB_ERR : static_cast<LRESULT>(found - entries_.begin());
    };
    if (highlight != LB_ERR) {
        const std::optional<std::size_t> kept = list_view::NearestStaying(
            static_cast<std::size_t>(highlight), before.size(),
            [&](std::size_t i) { return index_of(before[i].path) != LB_ERR; });
        if (kept) ::SendMessageW(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(index_of(before[*kept].path)), 0);
    }
    if (top != LB_ERR) ::SendMessageW(hwnd(), LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
}

std::wstring Win32DirList::EntryPath(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return {};
    return entries_[static_cast<std::size_t>(index)].path;
}

void Win32DirList::OpenParent() {
    const std::wstring parent = Resolve(paths::Parse(u".."));
    if (parent != path_) ChangeTo(parent);
}

// Enter opens the entry also inside a dialog, whose keyboard handling would take it for the
// default button.
void Win32DirList::OpenSelected() {
    const LRESULT index = ::SendMessageW(hwnd(), LB_GETCARETINDEX, 0, 0);
    if (index == LB_ERR || index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return;
    const std::wstring target = entries_[static_cast<std::size_t>(index)].path;
    try {
        ChangeTo(Resolve(paths::Parse(Utf16View(target))));
    } catch (const RuntimeError&) {
        // The directory has gone since the list was drawn: show what is there now.
        Rebuild();
    }
}

void Win32DirList::FontChanged() {
    const int height = std::max(IconPixels(window().context().dpi_y), FontHeight(hwnd(), window().font())) + 1;
    ::SendMessageW(hwnd(), LB_SETITEMHEIGHT, 0, height);
    FitExtent();
}

// Long names scroll sideways: the extent reaches the right end of the widest entry as DrawItem
// draws it, indentation, icon and highlight included, in the list's font now.
void Win32DirList::FitExtent() {
    const LRESULT item_height = ::SendMessageW(hwnd(), LB_GETITEMHEIGHT, 0, 0);
    const int step = IndentStep(item_height == LB_ERR ? 0 : static_cast<int>(item_height));
    WindowDC dc(hwnd());
    if (dc.get() == nullptr) return;
    const SelectedObject in_font(dc.get(), window().font());
    int widest = 0;
    for (const Entry& entry : entries_) {
        SIZE extent{};
        ::GetTextExtentPoint32W(dc.get(), entry.name.c_str(), static_cast<int>(entry.name.size()), &extent);
        widest = std::max(widest, ItemTextStart(entry.depth * step, window().context().dpi_y) +
                                      static_cast<int>(extent.cx) + kTextPadding);
    }
    // A list box's scroll range is 16 bits.
    SetListBoxExtent(hwnd(), std::min(widest, 32767));
}

void Win32DirList::DrawItem(const DRAWITEMSTRUCT& item) const {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries_.size()) return;
    const Entry& entry = entries_[item.itemID];
    const int step = IndentStep(static_cast<int>(item.rcItem.bottom - item.rcItem.top));
    RECT text = item.rcItem;
    const int dpi = window().context().dpi_y;
    text.left = DrawItemIcon(item.hDC, item.rcItem, entry.depth * step, FolderIcon(entry.open, dpi), dpi);
    SIZE extent{};
    ::GetTextExtentPoint32W(item.hDC, entry.name.c_str(), static_cast<int>(entry.name.size()), &extent);
    text.right = std::min<LONG>(item.rcItem.right, text.left + extent.cx + kTextPadding);
    if (selected) ::FillRect(item.hDC, &text, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT inner = text;
    inner.left += 2;
    ::DrawTextW(item.hDC, entry.name.c_str(), static_cast<int>(entry.name.size()), &inner,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &text);
}

}  // namespace selvane::win32
