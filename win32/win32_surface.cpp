#include "win32/win32_surface.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "win32/accessible_name.h"
#include "win32/deadline.h"
#include "win32/message_hooks.h"
#include "navigation/pace.h"
#include "paths/path_text.h"

namespace selvane::win32 {
namespace {

constexpr wchar_t kClassName[] = L"SelvaneSurface";
// Child windows are numbered from here in the design's collection order.
constexpr int kFirstId = 100;
// Posted by the folder watch's callback.
constexpr UINT kFolderChanged = WM_APP + 1;
// WM_DPICHANGED_AFTERPARENT (Windows 10 1703 and later), which the headers give only to programs
// built for those versions alone.
constexpr UINT kDpiChangedAfterParent = 0x02E3;
// Gathers a burst of changes into one listing: thousands of files created at once list a few
// times, not thousands.
constexpr UINT_PTR kFolderTimer = 1;
constexpr UINT kFolderDelayMs = 200;
// When listings for changes may start again (pace.h), for every surface of the process: a
// host's controls share its thread. 0 until the first listing for a change.
volatile LONG64 g_quiet_until = 0;

// How long listings for changes must still wait, in milliseconds.
DWORD QuietLeft() {
    const auto until = static_cast<std::uint64_t>(::InterlockedCompareExchange64(&g_quiet_until, 0, 0));
    return static_cast<DWORD>(std::min<std::uint64_t>(pace::QuietLeft(until, ::GetTickCount64()), USER_TIMER_MAXIMUM));
}
// While a folder is wanted and the surface shown, its watch is checked this often: a live one
// on a worker of the thread pool (FolderWatch::CheckLater), at the pace of pace.h, and only one
// that doesn't hold is handed to the logic (OnWatchCheck), as is a watch lost or never armed,
// which the logic arms again.
constexpr UINT_PTR kWatchCheckTimer = 2;
constexpr UINT kWatchCheckMs = static_cast<UINT>(pace::kCheckPeriod);

std::u16string CurrentDirectory() {
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring directory(needed, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(needed, directory.data());
    directory.resize(length < needed ? length : 0);
    return Utf16(directory);
}

wchar_t LowerKey(wchar_t key) {
    wchar_t text[2] = {key, L'\0'};
    ::CharLowerBuffW(text, 1);
    return text[0];
}

int IdOf(std::u16string_view name) {
    for (std::size_t i = 0; i < design::kChildren.size(); ++i) {
        if (design::kChildren[i].name == name) return kFirstId + static_cast<int>(i);
    }
    return 0;
}

const design::Child& Record(std::u16string_view name) {
    return design::kChildren[static_cast<std::size_t>(IdOf(name) - kFirstId)];
}

}  // namespace

Win32Surface::Win32Surface(HWND parent, const std::u16string& start_directory) {
    RegisterWindowClass(kClassName, &WindowProc, nullptr, kOwnerBytes);
    {
        WindowDC screen(nullptr);
        context_.dpi_x = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
        context_.dpi_y = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    context_.base_font = MessageFont();
    context_.reads = &reads_;

    const DWORD style = parent != nullptr ? WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN : WS_POPUP | WS_CLIPCHILDREN;
    window_.reset(::CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", style, 0, 0,
                                    context_.PixelsX(design::kSurfaceWidth), context_.PixelsY(design::kSurfaceHeight),
                                    parent, nullptr, ThisModule(), this));
    if (!window_) RaiseLastError();
    context_.surface = window_.get();
    context_.dpi_x = context_.dpi_y = WindowDpi(window_.get());
    shown_ = (style & WS_VISIBLE) != 0;
    watch_ = std::make_unique<FolderWatch>(window_.get(), kFolderChanged);
    above_ = std::make_unique<FoldersAbove>(window_.get(), kAboveChanged);
    tips_ = std::make_unique<ToolTips>(window_.get());
    context_.tips = tips_.get();

    const std::u16string start = start_directory.empty() ? CurrentDirectory() : start_directory;
    const char16_t start_letter = paths::Parse(start).HasDrive() ? start[0] : u'c';
    // Created in tab order, which is the order Tab walks them.
    drive1_ = std::make_unique<Win32DriveList>(Record(u"Drive1"), context_, IdOf(u"Drive1"), start_letter);
    dir1_ = std::make_unique<Win32DirList>(Record(u"Dir1"), context_, IdOf(u"Dir1"), start);
    text1_ = std::make_unique<Win32TextBox>(Record(u"Text1"), context_, IdOf(u"Text1"));
    command1_ = std::make_unique<Win32Button>(Record(u"Command1"), context_, IdOf(u"Command1"));
    list1_ = std::make_unique<Win32ListBox>(Record(u"List1"), context_, IdOf(u"List1"));
    label1_ = std::make_unique<Win32Label>(Record(u"Label1"), context_, IdOf(u"Label1"));
    label2_ = std::make_unique<Win32Label>(Record(u"Label2"), context_, IdOf(u"Label2"));

    in_order_ = {command1_.get(), text1_.get(), list1_.get(), dir1_.get(), drive1_.get(), label2_.get(), label1_.get()};
    windows_ = {command1_->hwnd(), text1_->hwnd(), list1_->hwnd(), dir1_->hwnd(),
                drive1_->hwnd(),   label2_->hwnd(), label1_->hwnd()};
    for (std::size_t i = 0; i < design::kChildren.size(); ++i) {
        tips_->Watch(windows_[i]);
        tips_->Set(windows_[i], std::u16string(design::kChildren[i].tool_tip));
    }
    // What a screen reader says for each part. The button and the labels are read by their
    // text, as the system reads them; the lists and the pattern box have no text that says
    // what they are, and the drive list's text is the drive. The surface itself answers in
    // its own window procedure.
    NameForScreenReaders(drive1_->hwnd(), L"Drives");
    NameForScreenReaders(dir1_->hwnd(), L"Folders");
    NameForScreenReaders(text1_->hwnd(), L"File name pattern");
    NameForScreenReaders(list1_->hwnd(), L"Files");
    // Explorer's keys also where the host's message loop doesn't give the surface its keys
    // first: the children see them as they come. Ctrl+A then leaves its character behind, which
    // the pattern box would take for text.
    for (HWND child : windows_) HookChild(child);
    list1_->SetReplaced([this](HWND old_window, HWND new_window) { OnWindowReplaced(old_window, new_window, L"Files"); });
    // Files or folders dropped onto the control. Without OLE on this thread (a host that called
    // CoInitialize alone) nothing can be dropped.
    drop_target_ = ComPtr<DropTarget>::Adopt(new DropTarget([this](const std::wstring& path) {
        return ::SendMessageW(hwnd(), kDropped, 0, reinterpret_cast<LPARAM>(&path)) != 0;
    }));
    drop_registered_ = SUCCEEDED(::RegisterDragDrop(window_.get(), drop_target_.get()));
}

void Win32Surface::HookChild(HWND child) {
    HookMessages(child, [this](HWND window, UINT message, WPARAM wparam, LPARAM lparam, const PassOn& pass_on) {
        MSG key{};
        key.hwnd = window;
        key.message = message;
        key.wParam = wparam;
        key.lParam = lparam;
        if (TakeShortcut(key)) return LRESULT{0};
        if (message == WM_CHAR && wparam == 1 && window == text1_->hwnd()) return LRESULT{0};
        return pass_on();
    });
    // Files dragged out of the lists.
    if (child == list1_->hwnd() || child == dir1_->hwnd()) {
        HookMessages(child, [this](HWND window, UINT message, WPARAM wparam, LPARAM lparam, const PassOn& pass_on) {
            return WatchDrag(window, message, wparam, lparam, pass_on);
        });
    }
}

void Win32Surface::OnWindowReplaced(HWND old_window, HWND new_window, const wchar_t* name) {
    const std::u16string tip = tips_->Text(old_window);
    tips_->Set(old_window, u"");
    tips_->Watch(new_window);
    tips_->Set(new_window, tip);
    NameForScreenReaders(new_window, name);
    std::replace(windows_.begin(), windows_.end(), old_window, new_window);
    HookChild(new_window);
}

Win32Surface::~Win32Surface() {
    if (drop_registered_) ::RevokeDragDrop(window_.get());
    if (drop_target_) drop_target_->Disconnect();
    context_.sink = nullptr;
    above_.reset();
    watch_.reset();
    if (window_) ForgetWindowOwner(window_.get());
    // The children's windows go with the surface's.
    label2_.reset();
    label1_.reset();
    list1_.reset();
    command1_.reset();
    text1_.reset();
    dir1_.reset();
    drive1_.reset();
    tips_.reset();
    window_.reset();
}

void Win32Surface::SetBackColor(Color color) {
    TranslateColor(color);  // refuses a colour that names nothing, with 380
    back_color_ = color;
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Made again whenever the colour to draw changes: a system colour set as the background follows
// the system's colours, and high contrast puts the button face in its place.
HBRUSH Win32Surface::BackBrush(bool high_contrast) const {
    const COLORREF rgb = DrawnRgb(ColorRole::kBackground, back_color_, high_contrast);
    if (!back_brush_ || rgb != back_rgb_) {
        if (UniqueBrush brush{::CreateSolidBrush(rgb)}) {
            back_brush_ = std::move(brush);
            back_rgb_ = rgb;
        }
    }
    return back_brush_ ? back_brush_.get() : ::GetSysColorBrush(COLOR_BTNFACE);
}

float Win32Surface::ScaleWidth() const {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    return context_.TwipsX(client.right - client.left);
}

float Win32Surface::ScaleHeight() const {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    return context_.TwipsY(client.bottom - client.top);
}

host::ChildControl& Win32Surface::Control(int index) {
    if (index < 0 || index >= ControlCount()) Raise(errc::kInvalidPropertyArrayIndex);
    return *in_order_[static_cast<std::size_t>(index)];
}

void Win32Surface::Refresh() {
    if (!::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW)) {
        RaiseLastError();
    }
}

host::WatchState Win32Surface::WatchFolder(const std::u16string& folder) {
    const std::wstring wanted = Wide(folder);
    if (wanted != watched_folder_) {
        watched_folder_ = wanted;
        watch_->Stop();
        above_->Stop();
    }
    return UpdateWatch();
}

namespace {

// The system's answer that no folder is at the path, as against one that can't be had now.
bool NoFolderThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_DRIVE ||
           error == ERROR_DIRECTORY;
}

}  // namespace

host::WatchState Win32Surface::UpdateWatch() {
    // Window messages come while the window is made, before there is a watch.
    if (!watch_) return host::WatchState::kNone;
    if (shown_ && !watched_folder_.empty()) {
        if (!checking_) checking_ = ::SetTimer(hwnd(), kWatchCheckTimer, kWatchCheckMs, nullptr) != 0;
        if (watch_->Holds()) return host::WatchState::kLive;
        if (!watch_->Start(watched_folder_)) {
            return NoFolderThere(::GetLastError()) ? host::WatchState::kGone : host::WatchState::kNone;
        }
        // Armed anew, the folders above are watched anew, and where its drive leads is noted.
        above_->Start(watched_folder_);
        mapping_ = DriveMapping(watched_folder_);
        return host::WatchState::kArmedAnew;
    }
    watch_->Stop();
    above_->Stop();
    if (change_pending_) ::KillTimer(hwnd(), kFolderTimer);
    change_pending_ = false;
    if (checking_) ::KillTimer(hwnd(), kWatchCheckTimer);
    checking_ = false;
    return host::WatchState::kNone;
}

// The first change of a burst starts the timer; the watch posts nothing more until it is re-armed.
void Win32Surface::OnFolderMessage(WPARAM generation) {
    if (!watch_->Posted(generation) || change_pending_) return;
    const DWORD wait = std::max<DWORD>(kFolderDelayMs, QuietLeft());
    change_pending_ = ::SetTimer(hwnd(), kFolderTimer, wait, nullptr) != 0;
}

void Win32Surface::OnFolderTimer() {
    if (!change_pending_) {
        ::KillTimer(hwnd(), kFolderTimer);
        return;
    }
    // Another control's listing came first: this one waits its turn.
    if (const DWORD left = QuietLeft()) {
        ::SetTimer(hwnd(), kFolderTimer, left, nullptr);
        return;
    }
    ::KillTimer(hwnd(), kFolderTimer);
    change_pending_ = false;
    // Re-armed before the listing, so that what changes while it runs is seen too; both on a
    // worker, the calls the last listing of the folder made with them, so that the host's
    // thread waits for none of it. Here only when no worker is to be had.
    if (!watch_->RelistLater(watched_folder_, kRelisted, reads_.ListingOf(watched_folder_))) {
        ListForChange(::GetTickCount64());
    }
}

void Win32Surface::OnRelisted(WPARAM generation) {
    std::vector<FileAnswer> answers;
    ULONGLONG began = 0;
    if (!watch_->Relisted(generation, answers, began)) return;
    reads_.Offer(std::move(answers));
    ListForChange(began);
}

void Win32Surface::ListForChange(ULONGLONG began) {
    // Offered answers go, however the listing ends: they are of this change only.
    struct Withdrawn {
        ReadAhead& reads;
        ~Withdrawn() { reads.Withdraw(); }
    } withdrawn{reads_};
    if (host::ChildEvents* sink = context_.sink) sink->OnFolderChanged();
    ::InterlockedExchange64(&g_quiet_until, static_cast<LONG64>(pace::QuietUntil(began, ::GetTickCount64())));
}

HWND Win32Surface::ChildWindowOf(std::u16string_view name) const {
    const int id = IdOf(name);
    return id == 0 ? nullptr : windows_[static_cast<std::size_t>(id - kFirstId)];
}

HWND Win32Surface::WindowAt(int id) const {
    const int index = id - kFirstId;
    return index >= 0 && index < static_cast<int>(windows_.size()) ? windows_[static_cast<std::size_t>(index)] : nullptr;
}

bool Win32Surface::TranslateKeyboard(const MSG& message) {
    if (message.hwnd == nullptr || (message.hwnd != hwnd() && !::IsChild(hwnd(), message.hwnd))) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0 &&
        ::GetKeyState(VK_MENU) >= 0) {
        // A drop-down list that is open closes first, as in a dialog.
        const bool backwards = ::GetKeyState(VK_SHIFT) < 0;
        HWND from = ::GetFocus();
        while (from != nullptr && ::GetParent(from) != hwnd()) from = ::GetParent(from);
        // Past the last child, or before the first, the key is the container's: it moves on
        // to its own next or previous field.
        if (from == EndChild(!backwards)) return false;
        if (HWND next = ::GetNextDlgTabItem(hwnd(), from, backwards)) {
            ::SetFocus(next);
            // As the dialog manager does: an edit that Tab reaches has all its text selected, so
            // that what is typed replaces it. A click leaves the caret where it was placed.
            if (::SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(next, EM_SETSEL, 0, -1);
        }
        return true;
    }
    if (TakeShortcut(message)) return true;
    if (message.message == WM_SYSCHAR) {
        // The buttons' captions give the access keys: "&All" answers to Alt+A.
        wchar_t caption[64] = {};
        ::GetWindowTextW(command1_->hwnd(), caption, 64);
        const wchar_t* amp = wcschr(caption, L'&');
        if (amp != nullptr && amp[1] != L'\0' && LowerKey(amp[1]) == LowerKey(static_cast<wchar_t>(message.wParam))) {
            ::SendMessageW(command1_->hwnd(), BM_CLICK, 0, 0);
            return true;
        }
    }
    return false;
}

HWND Win32Surface::EndChild(bool last) const {
    const HWND first = ::GetNextDlgTabItem(hwnd(), nullptr, FALSE);
    return last ? ::GetNextDlgTabItem(hwnd(), first, TRUE) : first;
}

void Win32Surface::Place(HWND parent, const RECT& rect) {
    const HWND window = hwnd();
    if (::GetAncestor(window, GA_PARENT) != parent) {
        // Styles are bit masks, worked on unsigned; the window keeps them in a signed LONG_PTR.
        const auto style = static_cast<ULONG_PTR>(::GetWindowLongPtrW(window, GWL_STYLE));
        ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>((style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS));
        if (::SetParent(window, parent) == nullptr) RaiseLastError();
        // A host aware of each monitor's scale shows its windows at their monitor's: the
        // children's pixels follow, in the layout the caller makes next.
        context_.dpi_x = context_.dpi_y = WindowDpi(window);
    }
    if (!::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                        SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_FRAMECHANGED)) {
        RaiseLastError();
    }
}

void Win32Surface::Withdraw() {
    const HWND window = hwnd();
    ::ShowWindow(window, SW_HIDE);
    const auto style = static_cast<ULONG_PTR>(::GetWindowLongPtrW(window, GWL_STYLE));
    if ((style & WS_CHILD) == 0) return;
    ::SetParent(window, nullptr);
    ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>((style & ~ULONG_PTR{WS_CHILD | WS_CLIPSIBLINGS}) | WS_POPUP));
}

void Win32Surface::SetPixelSize(int width, int height) {
    if (!::SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE)) {
        RaiseLastError();
    }
}

void Win32Surface::Print(HDC dc) const {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, BackBrush(HighContrastOn()));
    // From the bottom of the z-order up, so that what lies on top is drawn last. The surface
    // may be hidden, so each child's own visibility decides.
    const HWND top = ::GetWindow(hwnd(), GW_CHILD);
    for (HWND child = top ? ::GetWindow(top, GW_HWNDLAST) : nullptr; child; child = ::GetWindow(child, GW_HWNDPREV)) {
        if ((::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) != 0) PrintChild(child, dc);
    }
}

// The frame is drawn here, and the client area printed into a bitmap of its own at its own
// origin: the system's controls clip in their own coordinates and would cut themselves short
// on a shifted DC, and their non-client areas don't print.
void Win32Surface::PrintChild(HWND child, HDC dc) const {
    RECT frame{};
    ::GetWindowRect(child, &frame);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&frame), 2);
    if (::GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        ::DrawEdge(dc, &frame, EDGE_SUNKEN, BF_RECT);
    } else if (::GetWindowLongPtrW(child, GWL_STYLE) & WS_BORDER) {
        ::FrameRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    RECT inside{};
    ::GetClientRect(child, &inside);
    POINT origin{0, 0};
    ::MapWindowPoints(child, hwnd(), &origin, 1);
    const UniqueMemoryDC child_memory(::CreateCompatibleDC(dc));
    const UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, inside.right, inside.bottom));
    if (child_memory && bitmap) {
        const HDC child_dc = child_memory.get();
        const SelectedObject drawn_into(child_dc, bitmap.get());
        ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(child_dc), PRF_CLIENT | PRF_ERASEBKGND);
        // A hidden drop-down list leaves its selection box empty: it is drawn as it would show.
        if (child == drive1_->hwnd()) {
            COMBOBOXINFO box{};
            box.cbSize = sizeof(box);
            const LRESULT selected = ::SendMessageW(child, CB_GETCURSEL, 0, 0);
            if (selected >= 0 && ::GetComboBoxInfo(child, &box)) {
                DRAWITEMSTRUCT item{};
                item.CtlType = ODT_COMBOBOX;
                item.CtlID = static_cast<UINT>(::GetDlgCtrlID(child));
                item.itemID = static_cast<UINT>(selected);
                item.itemAction = ODA_DRAWENTIRE;
                item.itemState = ODS_COMBOBOXEDIT;
                item.hwndItem = child;
                item.hDC = child_dc;
                item.rcItem = box.rcItem;
                const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(child, WM_GETFONT, 0, 0));
                const SelectedObject in_font(child_dc, font);
                drive1_->DrawItem(item);
            }
        }
        ::BitBlt(dc, origin.x, origin.y, inside.right, inside.bottom, child_dc, 0, 0, SRCCOPY);
    }
}

LRESULT CALLBACK Win32Surface::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* surface = WindowOwner<Win32Surface>(window, message, lparam);
    if (surface == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    return surface->Handle(window, message, wparam, lparam);
}

LRESULT Win32Surface::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const bool reaches_logic =
        message == WM_COMMAND || message == WM_VKEYTOITEM || message == kShortcut || message == kDropped ||
        message == kDpiChangedAfterParent ||
        message == kWatchChecked ||
        message == kRelisted ||
        message == kAboveChanged ||
        (message == WM_TIMER && (wparam == kFolderTimer || wparam == kWatchCheckTimer));
    if (!reaches_logic) return HandleScoped(window, message, wparam, lparam);
    // These reach the logic, and through it the host, which may let the surface go: nothing
    // here touches the surface after LeaveMessage.
    MessageScope* scope = scope_;
    const ActionScope action;
    if (scope != nullptr) scope->EnterMessage();
    LRESULT result = 0;
    Contain([&] { result = HandleScoped(window, message, wparam, lparam); });
    if (scope != nullptr) scope->LeaveMessage();
    return result;
}

LRESULT Win32Surface::HandleScoped(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const std::optional<LRESULT> answer = Dispatch(window, message, wparam, lparam);
    return answer ? *answer : ::DefWindowProcW(window, message, wparam, lparam);
}

// One small handler a message, its parameters unpacked here as message crackers do. A message
// that no handler answers is left to DefWindowProc.
std::optional<LRESULT> Win32Surface::Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        Contain([&] { OnCommand(LOWORD(wparam), HIWORD(wparam)); });
        return 0;
    case kFolderChanged:
        OnFolderMessage(wparam);
        return 0;
    case kWatchChecked:
        OnWatchChecked(wparam, lparam);
        return 0;
    case kRelisted:
        Contain([&] { OnRelisted(wparam); });
        return 0;
    case kAboveChanged:
        if (above_ && above_->Take(wparam, lparam)) CheckSoon();
        return 0;
    case kDriveAnswered:
        Contain([&] { drive1_->OnDriveAnswered(static_cast<char16_t>(wparam)); });
        return 0;
    case kDropRetired:
        list1_->DropRetired();
        return 0;
    case WM_TIMER:
        return OnTimer(wparam);
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lparam));
        return std::nullopt;
    case WM_VKEYTOITEM:
        return OnVKeyToItem(LOWORD(wparam), reinterpret_cast<HWND>(lparam));
    case kShortcut:
        OnShortcut(static_cast<Shortcut>(wparam));
        return 0;
    case kDpiChangedAfterParent:
        UpdateDpi();
        return 0;
    case kDropped: {
        host::ChildEvents* sink = context_.sink;
        return sink && sink->OnDropped(Utf16(*reinterpret_cast<const std::wstring*>(lparam))) ? 1 : 0;
    }
    case WM_DRAWITEM:
        return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    case WM_MEASUREITEM:
        return OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(BackBrush(HighContrastOn()));
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        return OnColorChange(window, message, wparam);
    case WM_SETFOCUS:
        return OnSetFocus();
    case WM_GETOBJECT:
        return AnswerWithName(window, wparam, lparam, L"Selvane");
    case WM_ERASEBKGND:
        return OnEraseBackground(window, reinterpret_cast<HDC>(wparam));
    default:
        return std::nullopt;
    }
}

std::optional<LRESULT> Win32Surface::OnTimer(UINT_PTR timer) {
    if (timer == kWatchCheckTimer) {
        // A drive letter made to lead elsewhere tells no watch: where it leads is looked at here,
        // which asks no drive, and a change checks the watch at once.
        std::wstring mapping = DriveMapping(watched_folder_);
        if (mapping != mapping_) {
            mapping_ = std::move(mapping);
            CheckSoon();
            return 0;
        }
        StartCheck();
        return 0;
    }
    if (timer != kFolderTimer) return std::nullopt;
    Contain([&] { OnFolderTimer(); });
    return 0;
}

// Nothing of the disk waits on this thread while the watch is live; one check at a time.
void Win32Surface::StartCheck() {
    if (check_out_ || (watch_ && watch_->relisting()) || ::GetTickCount64() < next_check_) return;
    check_out_ = watch_ && watch_->CheckLater(kWatchChecked);
    if (!check_out_) {
        if (host::ChildEvents* sink = context_.sink) Contain([&] { sink->OnWatchCheck(); });
    }
}

void Win32Surface::CheckSoon() {
    next_check_ = 0;
    if (check_out_) {
        check_again_ = true;
        return;
    }
    StartCheck();
}

// The watch's check is back from its worker: a watch that no longer holds, or a lost one whose
// folder answers again, is the logic's to arm again and to list for; the next check waits as
// long as pace.h says for one that took this long.
void Win32Surface::OnWatchChecked(WPARAM generation, LPARAM answer) {
    check_out_ = false;
    const auto took = static_cast<std::uint64_t>(answer) >> 1;
    const bool live = watch_ && watch_->active();
    next_check_ = ::GetTickCount64() + pace::NextCheckAfter(took, live) - pace::kCheckPeriod;
    if (check_again_) {
        check_again_ = false;
        next_check_ = 0;
    }
    if ((answer & 1) != 0 || !watch_ || !watch_->Checked(generation)) return;
    if (host::ChildEvents* sink = context_.sink) Contain([&] { sink->OnWatchCheck(); });
}

// Shown and hidden by ShowWindow and SetWindowPos alike: Place, Withdraw, a verb's hide.
void Win32Surface::OnWindowPosChanged(const WINDOWPOS& position) {
    if (position.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) {
        shown_ = (position.flags & SWP_SHOWWINDOW) != 0;
        UpdateWatch();
    }
}

Win32Surface::Shortcut Win32Surface::ShortcutOf(HWND focus, UINT message, WPARAM key) const {
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) return Shortcut::kNone;
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0;
    if (key == VK_F5 && !control && !alt) return Shortcut::kListAgain;
    // In the drive list, Alt+Up closes its open drop-down, as in any combo box.
    if (key == VK_UP && alt && !control &&
        !(focus == drive1_->hwnd() && ::SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0))) {
        return Shortcut::kFolderAbove;
    }
    if (key == 'A' && control && !alt && focus == text1_->hwnd()) return Shortcut::kWholePattern;
    return Shortcut::kNone;
}

void Win32Surface::UpdateDpi() {
    const int dpi = WindowDpi(hwnd());
    if (dpi == context_.dpi_x && dpi == context_.dpi_y) return;
    context_.dpi_x = context_.dpi_y = dpi;
    if (host::ChildEvents* sink = context_.sink) sink->OnScaleChanged();
}

bool Win32Surface::TakeShortcut(const MSG& key) {
    const Shortcut shortcut = ShortcutOf(key.hwnd, key.message, key.wParam);
    if (shortcut == Shortcut::kNone) return false;
    // The system's own handling of a key with Alt sees it too, so that letting Alt go then
    // doesn't open the host's menu.
    if (key.message == WM_SYSKEYDOWN) ::DefWindowProcW(key.hwnd, key.message, key.wParam, key.lParam);
    ::SendMessageW(hwnd(), kShortcut, static_cast<WPARAM>(shortcut), 0);
    return true;
}

void Win32Surface::OnShortcut(Shortcut shortcut) {
    switch (shortcut) {
    case Shortcut::kListAgain:
        if (host::ChildEvents* sink = context_.sink) sink->OnRefreshKey();
        break;
    case Shortcut::kFolderAbove:
        dir1_->OpenParent();
        break;
    case Shortcut::kWholePattern:
        ::SendMessageW(text1_->hwnd(), EM_SETSEL, 0, -1);
        break;
    case Shortcut::kNone:
        break;
    }
}

std::vector<std::wstring> Win32Surface::DragPaths(HWND list, int index) const {
    if (list == dir1_->hwnd()) {
        std::wstring path = dir1_->EntryPath(index);
        return path.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{std::move(path)};
    }
    if (list != list1_->hwnd() || index < 0 || index >= list1_->ListCount()) return {};
    std::vector<int> entries{index};
    if (list1_->Selection() != SelectionMode::kOne && ::SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0) {
        entries = list1_->SelectedIndices();
    }
    std::vector<std::wstring> paths;
    for (const int entry : entries) paths.push_back(Wide(paths::Join(dir1_->Path(), list1_->List(entry))));
    return paths;
}

// While the button is down on a list's chosen entry, the mouse moves nothing in the list, so
// that a drag never chooses another entry. In a file list that chooses several, a press on one
// of the chosen files, without Shift or Ctrl, is held from the list, which would choose that file
// alone at once: the drag takes them all, and the list gets the press only when the button comes
// up without one, as Explorer's files do.
LRESULT Win32Surface::WatchDrag(HWND list, UINT message, WPARAM wparam, LPARAM lparam, const PassOn& pass_on) {
    const POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    const auto chosen = [&](int index) { return index >= 0 && ::SendMessageW(list, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0; };
    switch (message) {
    case WM_LBUTTONDOWN: {
        const int index = EntryUnder(list, at);
        press_ = {};
        if (!replaying_ && list == list1_->hwnd() && (wparam & (MK_SHIFT | MK_CONTROL)) == 0 && list1_->SelCount() > 1 &&
            chosen(index)) {
            press_ = {list, at, index, true, wparam};
            ::SetFocus(list);
            ::SetCapture(list);
            return 0;
        }
        const LRESULT result = pass_on();
        if (chosen(index)) press_ = {list, at, index};
        return result;
    }
    case WM_MOUSEMOVE: {
        if (press_.list != list || (wparam & MK_LBUTTON) == 0) break;
        if (std::abs(at.x - press_.at.x) <= ::GetSystemMetrics(SM_CXDRAG) &&
            std::abs(at.y - press_.at.y) <= ::GetSystemMetrics(SM_CYDRAG)) {
            return 0;
        }
        std::vector<std::wstring> paths;
        Contain([&] { paths = DragPaths(list, press_.index); });
        press_ = {};
        ::ReleaseCapture();
        if (!paths.empty()) DragOut(paths);
        return 0;
    }
    case WM_LBUTTONUP:
        if (press_.held && press_.list == list) {
            const Press held = press_;
            press_ = {};
            ::ReleaseCapture();
            replaying_ = true;
            ::SendMessageW(list, WM_LBUTTONDOWN, held.keys, MAKELPARAM(held.at.x, held.at.y));
            replaying_ = false;
        }
        press_ = {};
        break;
    case WM_CANCELMODE:
        if (press_.held) ::ReleaseCapture();
        press_ = {};
        break;
    default:
        break;
    }
    return pass_on();
}

LRESULT Win32Surface::OnVKeyToItem(WORD key, HWND list) {
    if (dir1_ && list == dir1_->hwnd() && key == VK_RETURN) {
        Contain([&] { dir1_->OpenSelected(); });
        return -2;
    }
    if (dir1_ && list == dir1_->hwnd() && key == VK_BACK) {
        Contain([&] { dir1_->OpenParent(); });
        return -2;
    }
    return -1;
}

LRESULT Win32Surface::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (drive1_ && item.hwndItem == drive1_->hwnd()) drive1_->DrawItem(item);
    if (dir1_ && item.hwndItem == dir1_->hwnd()) dir1_->DrawItem(item);
    return TRUE;
}

// Asked while a list is being made; the list sets its real height once its font is in.
LRESULT Win32Surface::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    item.itemHeight = 16;
    return TRUE;
}

std::optional<LRESULT> Win32Surface::OnCtlColorStatic(HDC dc, HWND child) {
    const Win32Label* label = label1_ && child == label1_->hwnd()   ? label1_.get()
                              : label2_ && child == label2_->hwnd() ? label2_.get()
                                                                    : nullptr;
    if (label == nullptr) return std::nullopt;
    const bool high_contrast = HighContrastOn();
    const HBRUSH back = BackBrush(high_contrast);
    ::SetTextColor(dc, DrawnRgb(ColorRole::kText, label->ForeColor(), high_contrast));
    ::SetBkColor(dc, DrawnRgb(ColorRole::kBackground, back_color_, high_contrast));
    return reinterpret_cast<LRESULT>(back);
}

// Heard only while the surface is a window of its own; inside a container, drawing asks the
// system each time.
std::optional<LRESULT> Win32Surface::OnColorChange(HWND window, UINT message, WPARAM wparam) {
    if (RedrawOnColorChange(window, message, wparam)) return 0;
    return std::nullopt;
}

LRESULT Win32Surface::OnSetFocus() {
    if (HWND target = EndChild(::GetKeyState(VK_SHIFT) < 0)) ::SetFocus(target);
    if (focus_entered_) focus_entered_();
    return 0;
}

LRESULT Win32Surface::OnEraseBackground(HWND window, HDC dc) {
    RECT client{};
    ::GetClientRect(window, &client);
    ::FillRect(dc, &client, BackBrush(HighContrastOn()));
    return 1;
}

void Win32Surface::OnCommand(int id, int code) {
    host::ChildEvents* sink = context_.sink;
    const HWND child = WindowAt(id);
    if (child == nullptr) return;
    if (child == drive1_->hwnd()) {
        if (code == CBN_SELCHANGE) drive1_->OnSelectionChange();
        if (code == CBN_DROPDOWN) drive1_->OnDropDown();
    } else if (child == dir1_->hwnd()) {
        if (code == LBN_DBLCLK) dir1_->OpenSelected();
    } else if (child == text1_->hwnd()) {
        if (code == EN_CHANGE && sink) sink->OnText1Change();
    } else if (child == command1_->hwnd()) {
        if (code == BN_CLICKED && sink) sink->OnCommand1Click();
    } else if (child == list1_->hwnd()) {
        if (code == LBN_SELCHANGE && sink) sink->OnList1Click();
        if (code == LBN_DBLCLK && sink && list1_->DoubleClickedEntry()) sink->OnList1DblClick();
    }
}

}  // namespace selvane::win32
