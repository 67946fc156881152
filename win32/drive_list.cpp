#include "win32/drive_list.h"

#include <winnetwk.h>

#include <exception>
#include <optional>

#include "appearance/layout.h"
#include "win32/deadline.h"
#include "win32/file_access.h"
#include "win32/shell_icons.h"
#include "paths/path_text.h"

namespace selvane::win32 {

host::DriveKind KindOf(UINT type);

namespace {

// The drop-down part of the list, below the field, in pixels.
constexpr int kDropDownHeight = 200;

// The drives whose answer came after their list had gone on without it, each until a list takes it.
SRWLOCK g_late_lock = SRWLOCK_INIT;
Lasting<std::vector<SystemDrive>> g_late;

std::optional<SystemDrive> TakeLateDrive(char16_t letter) {
    std::optional<SystemDrive> late;
    ::AcquireSRWLockExclusive(&g_late_lock);
    for (auto it = g_late.value.begin(); it != g_late.value.end(); ++it) {
        if (it->entry.letter == letter) {
            late = std::move(*it);
            g_late.value.erase(it);
            break;
        }
    }
    ::ReleaseSRWLockExclusive(&g_late_lock);
    return late;
}

// What the list shows of one drive: its type, and the label of a fixed or RAM drive or the
// connection of a network drive. Under the deadline: a drive that doesn't answer shows its
// letter alone, and when its answer comes after all, it is kept and the window told.
class DriveCall final : public Errand {
public:
    DriveCall(wchar_t letter, HWND notify)
        : Errand(L"GetVolumeInformationW", {Root(letter), {wchar_t(paths::FoldAscii(letter)), L':'}}),
          letter_(letter), notify_(notify) {}

    void Run() noexcept override {
        const std::wstring root = Root(letter_);
        QuietDriveErrors quiet;
        type = ::GetDriveTypeW(root.c_str());
        wchar_t text[MAX_PATH + 1] = {};
        if ((type == DRIVE_FIXED || type == DRIVE_RAMDISK) &&
            ::GetVolumeInformationW(root.c_str(), text, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
            shown = text;
        }
        if (type == DRIVE_REMOTE) {
            const wchar_t local[] = {letter_, L':', L'\0'};
            DWORD length = MAX_PATH + 1;
            const DWORD result = ::WNetGetConnectionW(local, text, &length);
            // A remembered connection that is not up now still names its volume.
            if (result == NO_ERROR || result == ERROR_CONNECTION_UNAVAIL) shown = text;
        }
        answered_ = true;
    }

    UINT type = DRIVE_UNKNOWN;
    std::wstring shown;

private:
    bool CameBack() noexcept override {
        if (notify_ == nullptr) return false;
        const char16_t letter = paths::FoldAscii(static_cast<char16_t>(letter_));
        TakeLateDrive(letter);
        ::AcquireSRWLockExclusive(&g_late_lock);
        bool kept = false;
        try {
            g_late.value.push_back({{letter, KindOf(type), Utf16(shown)}, type});
            kept = true;
        } catch (const std::exception&) {
            // No memory to keep it in: the letter stays alone until the list is read again.
        }
        ::ReleaseSRWLockExclusive(&g_late_lock);
        return kept && ::PostMessageW(notify_, kDriveAnswered, letter, 0) != FALSE;
    }

    static std::wstring Root(wchar_t letter) { return Wide(paths::RootOfDrive(static_cast<char16_t>(letter))); }

    const wchar_t letter_;
    const HWND notify_;
};

}  // namespace

host::DriveKind KindOf(UINT type) {
    switch (type) {
    case DRIVE_FIXED:
    case DRIVE_RAMDISK: return host::DriveKind::kFixed;
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM: return host::DriveKind::kRemovable;
    case DRIVE_REMOTE: return host::DriveKind::kNetwork;
    default: return host::DriveKind::kOther;
    }
}

// Every drive is asked at once, so that drives that don't answer cost one deadline in all.
void ReleaseLateDrives() noexcept { g_late.Release(); }

std::vector<SystemDrive> ReadDrives(HWND notify) {
    const DWORD present = ::GetLogicalDrives();
    std::vector<wchar_t> letters;
    for (int i = 0; i < 26; ++i) {
        if ((present & (1u << i)) != 0) letters.push_back(static_cast<wchar_t>(L'A' + i));
    }
    std::vector<UINT> types(letters.size(), DRIVE_UNKNOWN);
    std::vector<std::wstring> shown(letters.size());
    std::vector<Errand*> errands(letters.size(), nullptr);
    try {
        for (std::size_t i = 0; i < letters.size(); ++i) errands[i] = new DriveCall(letters[i], notify);
    } catch (...) {
        for (Errand* errand : errands) {
            if (errand) ReleaseErrand(errand);
        }
        throw;
    }
    AwaitEach(errands.data(), errands.size());
    for (std::size_t i = 0; i < letters.size(); ++i) {
        if (auto* call = static_cast<DriveCall*>(errands[i])) {
            types[i] = call->type;
            shown[i] = std::move(call->shown);
            ReleaseErrand(call);
        }
    }

    std::vector<SystemDrive> drives;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        drives.push_back({{paths::FoldAscii(static_cast<char16_t>(letters[i])), KindOf(types[i]), Utf16(shown[i])},
                          types[i]});
    }
    return drives;
}

Win32DriveList::Win32DriveList(const design::Child& record, WindowContext& context, int id, char16_t start_letter)
    : Win32Child(record, context, L"COMBOBOX",
                 CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0, id) {
    window().set_extra_height(kDropDownHeight);
    FontChanged();
    Reread();
    const int index = IndexOf(paths::FoldAscii(start_letter));
    if (index >= 0) {
        selected_ = paths::FoldAscii(start_letter);
        ::SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

std::u16string Win32DriveList::Drive() const {
    const int index = IndexOf(selected_);
    return index < 0 ? u"" : drives_[static_cast<std::size_t>(index)].entry.Text();
}

void Win32DriveList::SetDrive(const std::u16string& drive) {
    if (drive.empty()) Raise(errc::kDeviceUnavailable);
    const char16_t letter = paths::FoldAscii(drive[0]);
    if (IndexOf(letter) < 0) {
        Reread();
        if (IndexOf(letter) < 0) Raise(errc::kDeviceUnavailable);
    }
    Select(letter);
}

std::vector<host::DriveEntry> Win32DriveList::Entries() const {
    Reread();
    std::vector<host::DriveEntry> entries;
    entries.reserve(drives_.size());
    for (const SystemDrive& drive : drives_) entries.push_back(drive.entry);
    return entries;
}

void Win32DriveList::OnSelectionChange() {
    const LRESULT index = ::SendMessageW(hwnd(), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR || index >= static_cast<LRESULT>(drives_.size())) return;
    Select(drives_[static_cast<std::size_t>(index)].entry.letter);
}

void Win32DriveList::Select(char16_t letter) {
    ::SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(IndexOf(letter)), 0);
    if (letter == selected_) return;
    selected_ = letter;
    if (host::ChildEvents* sink = events()) sink->OnDrive1Change();
}

int Win32DriveList::IndexOf(char16_t letter) const {
    for (std::size_t i = 0; i < drives_.size(); ++i) {
        if (drives_[i].entry.letter == letter) return static_cast<int>(i);
    }
    return -1;
}

void Win32DriveList::Reread() const {
    std::vector<SystemDrive> drives = ReadDrives(window().context().surface);
    const bool same = drives.size() == drives_.size() &&
                      std::equal(drives.begin(), drives.end(), drives_.begin(), [](const auto& a, const auto& b) {
                          return a.entry == b.entry && a.type == b.type;
                      });
    if (same) return;
    drives_ = std::move(drives);
    ::SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0);
    for (const SystemDrive& drive : drives_) {
        ::SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.entry.Text().c_str()));
    }
    const int index = IndexOf(selected_);
    if (index >= 0) ::SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32DriveList::OnDriveAnswered(char16_t letter) {
    const std::optional<SystemDrive> late = TakeLateDrive(letter);
    const int index = IndexOf(letter);
    if (!late || index < 0) return;
    drives_[static_cast<std::size_t>(index)] = *late;
    const auto at = static_cast<WPARAM>(index);
    const LRESULT chosen = ::SendMessageW(hwnd(), CB_GETCURSEL, 0, 0);
    ::SendMessageW(hwnd(), CB_DELETESTRING, at, 0);
    ::SendMessageW(hwnd(), CB_INSERTSTRING, at, reinterpret_cast<LPARAM>(late->entry.Text().c_str()));
    if (chosen != CB_ERR) ::SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void Win32DriveList::FontChanged() {
    const int height = std::max(IconPixels(window().context().dpi_y), FontHeight(hwnd(), window().font()));
    ::SendMessageW(hwnd(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    ::SendMessageW(hwnd(), CB_SETITEMHEIGHT, 0, height);
}

void Win32DriveList::DrawItem(const DRAWITEMSTRUCT& item) const {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= drives_.size()) return;
    const SystemDrive& drive = drives_[item.itemID];
    const std::u16string shown = drive.entry.Text();
    RECT text = item.rcItem;
    const int dpi = window().context().dpi_y;
    text.left = DrawItemIcon(item.hDC, item.rcItem, 0, DriveIcon(drive.type, dpi), dpi);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ::DrawTextW(item.hDC, reinterpret_cast<const wchar_t*>(shown.c_str()), static_cast<int>(shown.size()),
                &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace selvane::win32
