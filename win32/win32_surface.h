// The control's surface as a real window: the seven children at their designed places, the
// background colour, the tool tips, and the routing of the children's notifications.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "host/surface.h"
#include "win32/child_window.h"
#include "win32/dir_list.h"
#include "win32/drag_drop.h"
#include "win32/drive_list.h"
#include "win32/folder_watch.h"
#include "win32/folders_above.h"
#include "win32/label.h"
#include "win32/message_hooks.h"
#include "win32/list_box.h"
#include "win32/read_ahead.h"
#include "win32/text_box.h"

namespace selvane::win32 {

// Told when a message that may reach the control's logic (and through it the host) begins and
// ends, so that an owner released from inside an event handler can put off its destruction
// until the message is done with it.
class MessageScope {
public:
    virtual void EnterMessage() = 0;
    virtual void LeaveMessage() = 0;

protected:
    ~MessageScope() = default;
};

class Win32Surface final : public host::Surface {
public:
    // A child of the parent at the designed size, the drive and directory lists showing the
    // start directory (the process's current one when empty). Without a parent the surface is
    // a hidden window of its own, with every child in place.
    explicit Win32Surface(HWND parent, const std::u16string& start_directory = u"");
    ~Win32Surface() override;

    // Posted to the surface's window by each check of the watch as it comes back from its worker.
    static constexpr UINT kWatchChecked = WM_APP + 2;
    // Posted when the watch has been armed anew after a change and the listing's calls made
    // ahead of it on a worker (FolderWatch::RelistLater).
    static constexpr UINT kRelisted = WM_APP + 3;
    // Posted when a folder above the watched one tells of a sub-folder renamed, added or removed.
    static constexpr UINT kAboveChanged = WM_APP + 5;
    // Sent by the children for a key of Explorer's (Shortcut), wparam which one.
    static constexpr UINT kShortcut = WM_APP + 6;
    // Sent by the drop target with the path dropped (lparam, a std::wstring*); answers 1 when the
    // control took it.
    static constexpr UINT kDropped = WM_APP + 7;
    Win32Surface(const Win32Surface&) = delete;
    Win32Surface& operator=(const Win32Surface&) = delete;

    Color BackColor() const override { return back_color_; }
    void SetBackColor(Color color) override;
    float ScaleWidth() const override;
    float ScaleHeight() const override;
    int ControlCount() const override { return static_cast<int>(in_order_.size()); }
    host::ChildControl& Control(int index) override;

    host::DriveList& Drive1() override { return *drive1_; }
    host::DirList& Dir1() override { return *dir1_; }
    host::TextBox& Text1() override { return *text1_; }
    host::Button& Command1() override { return *command1_; }
    host::ListBox& List1() override { return *list1_; }
    host::Label& Label1() override { return *label1_; }
    host::Label& Label2() override { return *label2_; }

    void Refresh() override;
    void Connect(host::ChildEvents* sink) override { context_.sink = sink; }
    // Watched while the window is shown: Place starts the watch, Withdraw and hiding stop it.
    host::WatchState WatchFolder(const std::u16string& folder) override;
    bool watching() const { return watch_ && watch_->active(); }
    // The control's calls to the disk, for its file system and its directory list alike.
    ReadAhead& reads() { return reads_; }

    HWND hwnd() const { return window_.get(); }
    // The window of the named child ("List1"), or nullptr.
    HWND ChildWindowOf(std::u16string_view name) const;
    const ToolTips& tips() const { return *tips_; }
    // What dropping onto the control meets, registered with OLE for the surface's window when
    // the thread has OLE (and so for its children).
    IDropTarget* drop_target() const { return drop_target_.get(); }
    // The files or the folder a drag from the list's entry (the file list or the directory list)
    // carries: the entry's, or every chosen file's when the file list chooses several and the
    // entry is one of them; none for any other list or entry.
    std::vector<std::wstring> DragPaths(HWND list, int index) const;

    // Keyboard handling a host's message loop gives the surface first: Tab and Shift+Tab move
    // between the children, Alt with an access key presses its button, and Explorer's keys do
    // what they do there (Shortcut). True when it was used.
    bool TranslateKeyboard(const MSG& message);
    // The first child Tab reaches, or the last.
    HWND EndChild(bool last) const;

    // Becomes a visible child of the parent at the rectangle (in the parent's pixels).
    void Place(HWND parent, const RECT& rect);
    // Hidden again, a window of its own, keeping its size.
    void Withdraw();
    // A new size in pixels, wherever the surface is.
    void SetPixelSize(int width, int height);
    // Draws the surface and its children, as they would show, into the DC at its origin.
    void Print(HDC dc) const;
    void SetMessageScope(MessageScope* scope) { scope_ = scope; }
    // Called when a container gives the surface window itself the focus, after the focus has
    // gone on to the first child (the last one while Shift is down, as Shift+Tab does).
    void SetFocusEntered(std::function<void()> entered) { focus_entered_ = std::move(entered); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void OnCommand(int id, int code);
    HWND WindowAt(int index) const;
    LRESULT HandleScoped(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    // The answer of the message's handler, or nothing when DefWindowProc is to answer it.
    std::optional<LRESULT> Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    std::optional<LRESULT> OnTimer(UINT_PTR timer);
    void OnWindowPosChanged(const WINDOWPOS& position);
    LRESULT OnVKeyToItem(WORD key, HWND list);
    // Explorer's keys, while a child has the focus: F5 lists the folder again, Alt+Up goes to
    // the folder above, Ctrl+A chooses the whole pattern. Whichever the key down is, or 0.
    enum class Shortcut : WPARAM { kNone, kListAgain, kFolderAbove, kWholePattern };
    Shortcut ShortcutOf(HWND focus, UINT message, WPARAM key) const;
    // Does what the key asks, through the surface's window, when it is one of them.
    bool TakeShortcut(const MSG& key);
    void OnShortcut(Shortcut shortcut);
    // Takes the resolution the window is shown at now; the logic lays the children out again
    // when it changed.
    void UpdateDpi();
    // Explorer's keys in the child, and drags out of it when it is one of the lists.
    void HookChild(HWND child);
    // A child's new window in place of its old one: the tip, the name and the hooks go with it.
    void OnWindowReplaced(HWND old_window, HWND new_window, const wchar_t* name);
    // A press on a list's chosen entry that moves past the system's drag distance drags it out.
    LRESULT WatchDrag(HWND list, UINT message, WPARAM wparam, LPARAM lparam, const PassOn& pass_on);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnMeasureItem(MEASUREITEMSTRUCT& item);
    std::optional<LRESULT> OnCtlColorStatic(HDC dc, HWND child);
    std::optional<LRESULT> OnColorChange(HWND window, UINT message, WPARAM wparam);
    LRESULT OnSetFocus();
    LRESULT OnEraseBackground(HWND window, HDC dc);
    void PrintChild(HWND child, HDC dc) const;
    // The brush of the background as drawn now.
    HBRUSH BackBrush(bool high_contrast) const;
    // Starts or stops the watch to match the folder and whether the window is shown.
    host::WatchState UpdateWatch();
    void OnFolderMessage(WPARAM generation);
    void OnFolderTimer();
    void OnWatchChecked(WPARAM generation, LPARAM answer);
    // The watch's check on a worker, when none is out and its pace lets it start now.
    void StartCheck();
    // The check sooner than its pace: the folder may have gone from its path just now.
    void CheckSoon();
    void OnRelisted(WPARAM generation);
    // Lists for a change with whatever answers are offered, then paces the next such listing.
    void ListForChange(ULONGLONG began);

    ReadAhead reads_;
    WindowContext context_;
    UniqueWindow window_;
    std::unique_ptr<ToolTips> tips_;
    Color back_color_ = kButtonFaceColor;
    // The brush of the background as drawn now, and its colour.
    mutable UniqueBrush back_brush_;
    mutable COLORREF back_rgb_ = 0;

    std::unique_ptr<Win32DriveList> drive1_;
    std::unique_ptr<Win32DirList> dir1_;
    std::unique_ptr<Win32TextBox> text1_;
    std::unique_ptr<Win32Button> command1_;
    std::unique_ptr<Win32ListBox> list1_;
    std::unique_ptr<Win32Label> label1_;
    std::unique_ptr<Win32Label> label2_;
    // The children in the collection's order, and their windows.
    std::vector<host::ChildControl*> in_order_;
    std::vector<HWND> windows_;
    MessageScope* scope_ = nullptr;
    std::function<void()> focus_entered_;
    ComPtr<DropTarget> drop_target_;
    bool drop_registered_ = false;
    // The press that may become a drag: the list, where the button went down, and the entry; and
    // whether the list has yet to get it (held), with the keys that came with it.
    struct Press {
        HWND list = nullptr;
        POINT at{};
        int index = -1;
        bool held = false;
        WPARAM keys = 0;
    } press_;
    // A held press is being given to the list.
    bool replaying_ = false;

    std::unique_ptr<FolderWatch> watch_;
    std::unique_ptr<FoldersAbove> above_;
    std::wstring watched_folder_;
    // Where the folder's drive letter led when its watch was armed (DriveMapping).
    std::wstring mapping_;
    bool shown_ = false;
    // A change has come and the short timer that gathers a burst of them is running.
    bool change_pending_ = false;
    // The timer of the watch's check runs.
    bool checking_ = false;
    // A check of the watch is out on a worker; the next may start at this tick, not sooner.
    bool check_out_ = false;
    ULONGLONG next_check_ = 0;
    // A check was asked for sooner while one was out: the next starts as soon as that one is back.
    bool check_again_ = false;
};

}  // namespace selvane::win32
