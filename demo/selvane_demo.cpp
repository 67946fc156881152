// selvane-demo: an application hosting selvane.ocx the way a developer's own program would. It
// knows the control only through the registry (its ProgID) and its type library (the header
// generated from it): ATL's container (an AtlAxWin window of atl.dll) creates the control on the
// left, the controls on the right call its members, and the log below them shows its events, its
// property changes (named through its type information) and every call's result or error.
// Each log line is printed to stdout as well.
//
//   selvane-demo [--path DIR] [--tour [--shot NAME]]
//
//   --path DIR  starts the control in DIR.
//   --tour      plays a short tour as a user would (a folder, a typed pattern, a click on a
//               file, GetPath, a second file chosen with Ctrl, the About dialog), saves screenshots of the window and of the
//               dialog ($SELVANE_ARTIFACTS/selvane-demo.png and selvane-demo-about.png, under
//               Wine, or NAME.png and NAME-about.png) and closes; exits with 0 when every step
//               did what it should.
//
// The program is aware of each monitor's scale (its manifest, selvane_demo.manifest, says so):
// its own fields and the control's place are laid out in pixels of the monitor it is on.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <ole2.h>

// The identifiers of the control's type library, defined here once.
#include <initguid.h>

#include "control/com/selvane_h.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "control/com/event_ids.h"
#include "demo/atl_container.h"
#include "demo/com_client.h"
#include "demo/screenshot.h"

namespace selvane::demo {
namespace {

constexpr wchar_t kProgId[] = L"Selvane_OCX.Selvane";
constexpr wchar_t kWindowClass[] = L"SelvaneDemo";

enum ChildId : int {
    kControlId = 100,
    kPathLabel,
    kPathEdit,
    kSetPath,
    kTypeLabel,
    kTypeEdit,
    kSetType,
    kGetPath,
    kRefreshFiles,
    kAboutBox,
    kLogLabel,
    kLog,
    kFirstFlag,  // the check boxes, in the order of kFlags
};

// The control's properties behind a check box, called by name as a script or a form's code calls
// them: the True/False ones, and the two of 4.1 that pick a way (`on`, the number the box sets
// when checked; 0 when unchecked).
struct Flag {
    const wchar_t* name;
    LONG on;  // 0: a True/False property
    const wchar_t* text;
};
const Flag kFlags[] = {
    {L"DirOnly", 0, L"DirOnly"},        {L"Server", 0, L"Server"},
    {L"ShowHidden", 0, L"ShowHidden"},  {L"Tips", 0, L"Tips"},
    {L"Label1Bold", 0, L"Label1Bold"},  {L"MultiSelect", 2, L"MultiSelect = 2"},
    {L"SortOrder", 1, L"SortOrder = 1"},
};
constexpr int kFlagCount = static_cast<int>(sizeof(kFlags) / sizeof(kFlags[0]));

// The layout, in pixels: the control fills the left, the panel keeps its width on the right.
constexpr int kMargin = 10;
constexpr int kPanelWidth = 320;
constexpr int kRow = 24;
constexpr int kGap = 6;
constexpr int kLabelHeight = 16;
constexpr int kCheckHeight = 20;
constexpr int kButtonWidth = 84;
constexpr int kMinControlWidth = 200;
constexpr int kMinHeight = 360;
constexpr int kStartControlWidth = 480;
constexpr int kStartHeight = 460;

void Print(const std::wstring& line) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), size, nullptr,
                          nullptr);
    utf8 += '\n';
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring TrueFalse(bool value) { return value ? L"True" : L"False"; }

bool EndsWithNoCase(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && ::_wcsicmp(text.c_str() + (text.size() - end.size()), end.c_str()) == 0;
}

// The control's parts, found in its window as a user sees them: the pattern box is its edit,
// the file list its list box that, unlike the directory list, isn't drawn by its owner.
HWND PatternBoxOf(HWND control) { return ::FindWindowExW(control, nullptr, L"Edit", nullptr); }

HWND FileListOf(HWND control) {
    for (HWND list = ::FindWindowExW(control, nullptr, L"ListBox", nullptr); list;
         list = ::FindWindowExW(control, list, L"ListBox", nullptr)) {
        if ((::GetWindowLongPtrW(list, GWL_STYLE) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) == 0) return list;
    }
    return nullptr;
}

// The resolution a window is shown at (96 is 100 %): its monitor's, where the system tells it
// (Windows 10 1607 and later), or the screen's.
int DpiOf(HWND window) {
    using ForWindow = UINT(WINAPI*)(HWND);
    const auto for_window = reinterpret_cast<ForWindow>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (window != nullptr && for_window != nullptr) {
        if (const UINT dpi = for_window(window)) return static_cast<int>(dpi);
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

class DemoWindow {
public:
    DemoWindow() = default;
    ~DemoWindow();
    DemoWindow(const DemoWindow&) = delete;
    DemoWindow& operator=(const DemoWindow&) = delete;

    // The window, with the control created in it by its ProgID; on failure, says why in *error.
    bool Create(const std::wstring& start_path, bool tour, std::wstring* error);
    // The name the tour's screenshots are saved under.
    void SetShotName(std::wstring name) { shot_ = std::move(name); }
    // Runs until the window is closed; returns the exit code.
    int Run();
    // The scripted tour; true when every step did what it should.
    bool Tour();
    void Close() { ::DestroyWindow(window_); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
    HWND Child(const wchar_t* window_class, const wchar_t* text, DWORD style, int id, DWORD ex_style = 0);
    bool HostControl(const std::wstring& start_path, std::wstring* error);
    void Layout(int width, int height);
    // A length of the layout, given at 100 %, in pixels at the window's scale.
    int Px(int pixels) const { return ::MulDiv(pixels, dpi_, 96); }
    // The message font at the window's scale, for the fields of the panel.
    void MakeFont();
    void OnCommand(int id, int code);
    void ReleaseControl();

    // Keyboard messages the control or the panel take before the window gets them.
    bool PreTranslate(MSG& message);
    bool IsMnemonic(const MSG& message) const;
    // Dispatches what is queued, as the message loop does.
    void Pump();

    // The members, as the panel calls them.
    void SetPath(const std::wstring& path);
    void SetFileType(const std::wstring& pattern);
    void CallGetPath();
    void CallRefreshFiles();
    void CallAboutBox();
    void SetFlag(int index, bool value);
    void ShowFlag(int index);
    // A property by its name, through IDispatch.
    HRESULT Put(const wchar_t* name, VARIANT value);
    HRESULT Get(const wchar_t* name, VARIANT* value);
    // The files chosen, as SelectedFiles gives them.
    std::vector<std::wstring> SelectedFiles();
    void ShowTexts();

    // What the control tells the host.
    void OnEvent(DISPID id);
    void OnPropertyChanged(DISPID id);

    void Log(const std::wstring& line);
    // Logs the outcome of a call: "call: ok", or "call: failed: why". True when it succeeded.
    bool Report(const std::wstring& call, HRESULT hr);
    // One step of the tour, checked.
    void Check(bool passed, const std::wstring& what);

    HWND window_ = nullptr;
    HWND container_ = nullptr;
    HWND control_window_ = nullptr;
    HWND log_ = nullptr;
    selvane::win32::UniqueFont font_;
    int dpi_ = 96;
    std::wstring shot_ = L"selvane-demo";
    int log_width_ = 0;

    AtlContainer atl_;
    ComPtr<IUnknown> control_;
    ComPtr<_Selvane> selvane_;
    ComPtr<IOleInPlaceActiveObject> active_;
    ComPtr<IOleControl> ole_control_;
    ComPtr<ITypeInfo> members_;  // names the dispids of properties
    ComPtr<ITypeInfo> events_;   // names the dispids of events
    std::vector<ACCEL> mnemonics_;
    Connection event_connection_;
    Connection property_connection_;

    // What the tour checks.
    int clicks_ = 0;
    std::vector<std::wstring> changed_;
    std::wstring last_get_path_;
    int failed_steps_ = 0;
};

DemoWindow::~DemoWindow() {
    if (window_) ::DestroyWindow(window_);
}

bool DemoWindow::Create(const std::wstring& start_path, bool tour, std::wstring* error) {
    if (!atl_.Load(error)) return false;

    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kWindowClass;
    if (!::RegisterClassExW(&window_class)) {
        *error = L"the window class can't be registered";
        return false;
    }

    dpi_ = DpiOf(nullptr);
    MakeFont();

    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame{0, 0, Px(kMargin + kStartControlWidth + kMargin + kPanelWidth + kMargin), Px(kStartHeight)};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    // The tour's window sits in the top left corner of the screen, all of it on the screen.
    const int x = tour ? 0 : CW_USEDEFAULT;
    const int y = tour ? 0 : CW_USEDEFAULT;
    window_ = ::CreateWindowExW(0, kWindowClass, L"Selvane demo host", style, x, y, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    if (!window_) {
        *error = L"the main window can't be created";
        return false;
    }
    dpi_ = DpiOf(window_);

    Child(L"STATIC", L"Path", SS_LEFT, kPathLabel);
    Child(L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, kPathEdit, WS_EX_CLIENTEDGE);
    Child(L"BUTTON", L"Set Path", BS_PUSHBUTTON | WS_TABSTOP, kSetPath);
    Child(L"STATIC", L"FileType", SS_LEFT, kTypeLabel);
    Child(L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, kTypeEdit, WS_EX_CLIENTEDGE);
    Child(L"BUTTON", L"Set", BS_PUSHBUTTON | WS_TABSTOP, kSetType);
    Child(L"BUTTON", L"GetPath", BS_PUSHBUTTON | WS_TABSTOP, kGetPath);
    Child(L"BUTTON", L"Refresh files", BS_PUSHBUTTON | WS_TABSTOP, kRefreshFiles);
    Child(L"BUTTON", L"About...", BS_PUSHBUTTON | WS_TABSTOP, kAboutBox);
    for (int i = 0; i < kFlagCount; ++i) Child(L"BUTTON", kFlags[i].text, BS_AUTOCHECKBOX | WS_TABSTOP, kFirstFlag + i);
    Child(L"STATIC", L"Events, property changes and calls", SS_LEFT, kLogLabel);
    log_ = Child(L"LISTBOX", L"", LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP, kLog, WS_EX_CLIENTEDGE);

    if (!HostControl(start_path, error)) return false;
    RECT client{};
    ::GetClientRect(window_, &client);
    Layout(client.right, client.bottom);
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
    return true;
}

HWND DemoWindow::Child(const wchar_t* window_class, const wchar_t* text, DWORD style, int id, DWORD ex_style) {
    HWND child = ::CreateWindowExW(ex_style, window_class, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr),
                                   nullptr);
    if (child && font_) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return child;
}

// The control as any container finds it: by its ProgID in the registry, then through the
// interfaces its type library describes.
bool DemoWindow::HostControl(const std::wstring& start_path, std::wstring* error) {
    CLSID clsid{};
    if (FAILED(::CLSIDFromProgID(kProgId, &clsid))) {
        *error = std::wstring(kProgId) + L" isn't registered: run regsvr32 selvane.ocx first";
        return false;
    }
    const RECT place{Px(kMargin), Px(kMargin), Px(kMargin + kStartControlWidth), Px(kStartHeight - kMargin)};
    container_ = atl_.Create(window_, kProgId, place, kControlId);
    if (!container_) {
        *error = L"no AtlAxWin window";
        return false;
    }
    HRESULT hr = atl_.GetControl(container_, control_.put());
    if (FAILED(hr)) {
        *error = L"the ATL container holds no control: " + DescribeFailure(nullptr, IID_NULL, hr);
        return false;
    }
    hr = control_.As(&selvane_);
    if (FAILED(hr)) {
        *error = L"the control has no _Selvane interface: " + DescribeFailure(nullptr, IID_NULL, hr);
        return false;
    }

    ComPtr<IOleWindow> ole_window;
    if (SUCCEEDED(control_.As(&ole_window))) ole_window->GetWindow(&control_window_);
    control_.As(&active_);
    if (SUCCEEDED(control_.As(&ole_control_))) {
        CONTROLINFO info{};
        info.cb = sizeof(info);
        if (SUCCEEDED(ole_control_->GetControlInfo(&info)) && info.hAccel && info.cAccel > 0) {
            mnemonics_.resize(info.cAccel);
            mnemonics_.resize(static_cast<std::size_t>(
                ::CopyAcceleratorTableW(info.hAccel, mnemonics_.data(), static_cast<int>(mnemonics_.size()))));
        }
    }

    // Names for the log: the properties from the interface's type information, the events from
    // the class's default source interface.
    selvane_->GetTypeInfo(0, LOCALE_USER_DEFAULT, members_.put());
    ComPtr<IProvideClassInfo> class_info;
    ComPtr<ITypeInfo> coclass;
    if (SUCCEEDED(control_.As(&class_info)) &&
        SUCCEEDED(class_info->GetClassInfo(coclass.put()))) {
        const selvane::win32::TypeAttributes attributes(coclass.get());
        if (attributes) {
            for (UINT i = 0; i < attributes->cImplTypes; ++i) {
                INT flags = 0;
                HREFTYPE reference = 0;
                if (SUCCEEDED(coclass->GetImplTypeFlags(i, &flags)) &&
                    (flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) ==
                        (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) &&
                    SUCCEEDED(coclass->GetRefTypeOfImplType(i, &reference))) {
                    coclass->GetRefTypeInfo(reference, events_.put());
                }
            }
        }
    }

    // A plain window has no ATL event map (AtlAdviseSinkMap), so the sinks connect by hand.
    const auto events = ComPtr<EventSink>::Adopt(new EventSink(DIID___Selvane, [this](DISPID id) { OnEvent(id); }));
    hr = event_connection_.Connect(control_.get(), DIID___Selvane, events.get());
    if (FAILED(hr)) Log(L"events can't be connected: " + DescribeFailure(nullptr, IID_NULL, hr));
    const auto changes = ComPtr<PropertySink>::Adopt(new PropertySink([this](DISPID id) { OnPropertyChanged(id); }));
    hr = property_connection_.Connect(control_.get(), IID_IPropertyNotifySink, changes.get());
    if (FAILED(hr)) Log(L"property changes can't be connected: " + DescribeFailure(nullptr, IID_NULL, hr));

    Log(std::wstring(kProgId) + L" hosted in an AtlAxWin window of atl.dll");
    for (int i = 0; i < kFlagCount; ++i) ShowFlag(i);
    if (!start_path.empty()) SetPath(start_path);
    ShowTexts();
    return true;
}

void DemoWindow::Layout(int width, int height) {
    const int margin = Px(kMargin), panel_width = Px(kPanelWidth), row = Px(kRow), gap = Px(kGap);
    const int label = Px(kLabelHeight), check = Px(kCheckHeight), button = Px(kButtonWidth);
    const int panel = std::max(width - margin - panel_width, margin + Px(kMinControlWidth) + margin);
    auto place = [&](int id, int x, int y, int w, int h) { ::MoveWindow(::GetDlgItem(window_, id), x, y, w, h, TRUE); };

    if (container_) ::MoveWindow(container_, margin, margin, panel - 2 * margin, height - 2 * margin, TRUE);
    int y = margin;
    const int edit_width = panel_width - button - gap;
    place(kPathLabel, panel, y, panel_width, label);
    y += label + 2;
    place(kPathEdit, panel, y, edit_width, row);
    place(kSetPath, panel + edit_width + gap, y, button, row);
    y += row + 2 * gap;
    place(kTypeLabel, panel, y, panel_width, label);
    y += label + 2;
    place(kTypeEdit, panel, y, edit_width, row);
    place(kSetType, panel + edit_width + gap, y, button, row);
    y += row + 2 * gap;
    const int half = (panel_width - gap) / 2;
    const int third = (panel_width - 2 * gap) / 3;
    place(kGetPath, panel, y, third, row);
    place(kRefreshFiles, panel + third + gap, y, third, row);
    place(kAboutBox, panel + 2 * (third + gap), y, third, row);
    y += row + gap;
    for (int i = 0; i < kFlagCount; ++i) {
        place(kFirstFlag + i, panel + (i % 2) * (half + gap), y + (i / 2) * check, half, check);
    }
    y += (kFlagCount + 1) / 2 * check + gap;
    place(kLogLabel, panel, y, panel_width, label);
    y += label + 2;
    place(kLog, panel, y, panel_width, std::max(height - margin - y, row));
}

void DemoWindow::MakeFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    const auto for_dpi = reinterpret_cast<ForDpi>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
    const BOOL got = for_dpi ? for_dpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi_))
                             : ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    if (!got) return;
    selvane::win32::UniqueFont font(::CreateFontIndirectW(&metrics.lfMessageFont));
    if (!font) return;
    if (window_) {
        for (int id = kPathLabel; id < kFirstFlag + kFlagCount; ++id) {
            if (HWND child = ::GetDlgItem(window_, id)) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        }
    }
    font_ = std::move(font);
}

LRESULT CALLBACK DemoWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* demo = reinterpret_cast<DemoWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!demo || !demo->window_) return ::DefWindowProcW(window, message, wparam, lparam);
    return demo->Handle(message, wparam, lparam);
}

LRESULT DemoWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_SIZE:
        Layout(LOWORD(lparam), HIWORD(lparam));
        return 0;
    case WM_GETMINMAXINFO: {
        RECT smallest{0, 0, Px(kMargin + kMinControlWidth + kMargin + kPanelWidth + kMargin), Px(kMinHeight)};
        ::AdjustWindowRectEx(&smallest, static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE)), FALSE, 0);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
        limits->ptMinTrackSize = POINT{smallest.right - smallest.left, smallest.bottom - smallest.top};
        return 0;
    }
    case WM_DPICHANGED: {
        // Moved to a monitor of another scale, or the scale changed: the system suggests the
        // window's new rectangle, and the fields follow (WM_SIZE).
        dpi_ = HIWORD(wparam);
        MakeFont();
        const auto* suggested = reinterpret_cast<const RECT*>(lparam);
        ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_COMMAND:
        OnCommand(LOWORD(wparam), HIWORD(wparam));
        return 0;
    case WM_DESTROY:
        // Ours go first; the container lets the control go as its window is destroyed next.
        ReleaseControl();
        window_ = nullptr;
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window_, message, wparam, lparam);
    }
}

void DemoWindow::ReleaseControl() {
    event_connection_.Disconnect();
    property_connection_.Disconnect();
    events_.reset();
    members_.reset();
    ole_control_.reset();
    active_.reset();
    selvane_.reset();
    control_.reset();
    control_window_ = nullptr;
}

void DemoWindow::OnCommand(int id, int code) {
    if (!selvane_) return;
    if (id >= kFirstFlag && id < kFirstFlag + kFlagCount) {
        if (code == BN_CLICKED) SetFlag(id - kFirstFlag, ::IsDlgButtonChecked(window_, id) == BST_CHECKED);
        return;
    }
    switch (id) {
    case kSetPath:
        SetPath(TextOf(::GetDlgItem(window_, kPathEdit)));
        break;
    case kSetType:
        SetFileType(TextOf(::GetDlgItem(window_, kTypeEdit)));
        break;
    case kGetPath:
        CallGetPath();
        break;
    case kRefreshFiles:
        CallRefreshFiles();
        break;
    case kAboutBox:
        CallAboutBox();
        break;
    case IDOK:
        // Enter in one of the edits presses its button.
        if (::GetFocus() == ::GetDlgItem(window_, kPathEdit)) SetPath(TextOf(::GetDlgItem(window_, kPathEdit)));
        if (::GetFocus() == ::GetDlgItem(window_, kTypeEdit)) SetFileType(TextOf(::GetDlgItem(window_, kTypeEdit)));
        break;
    default:
        break;
    }
}

void DemoWindow::SetPath(const std::wstring& path) {
    const Bstr value(path);
    Report(L"Path = \"" + path + L"\"", selvane_->put_Path(value.get()));
}

void DemoWindow::SetFileType(const std::wstring& pattern) {
    const Bstr value(pattern);
    Report(L"FileType = \"" + pattern + L"\"", selvane_->put_FileType(value.get()));
}

void DemoWindow::CallGetPath() {
    Bstr path;
    HRESULT hr = selvane_->GetPath(path.put());
    if (FAILED(hr)) {
        Report(L"GetPath()", hr);
        return;
    }
    last_get_path_ = path.str();
    VARIANT_BOOL selected = VARIANT_FALSE;
    hr = selvane_->FileSelected(&selected);
    if (FAILED(hr)) {
        Report(L"FileSelected()", hr);
        return;
    }
    Log(L"GetPath() -> " + last_get_path_ + L"  (FileSelected() -> " + TrueFalse(selected != VARIANT_FALSE) + L")");
}

void DemoWindow::CallRefreshFiles() { Report(L"RefreshFiles()", selvane_->RefreshFiles()); }

// Returns once the user has closed the dialog.
void DemoWindow::CallAboutBox() { Report(L"AboutBox()", selvane_->AboutBox()); }

void DemoWindow::SetFlag(int index, bool value) {
    const Flag& flag = kFlags[index];
    VARIANT given{};
    given.vt = flag.on ? VT_I4 : VT_BOOL;
    if (flag.on) given.lVal = value ? flag.on : 0;
    if (!flag.on) given.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    Report(std::wstring(flag.name) + L" = " + (flag.on ? std::to_wstring(given.lVal) : TrueFalse(value)),
           Put(flag.name, given));
    ShowFlag(index);
}

void DemoWindow::ShowFlag(int index) {
    selvane::win32::Variant value;
    if (FAILED(Get(kFlags[index].name, value.get())) || FAILED(::VariantChangeType(value.get(), value.get(), 0, VT_I4))) {
        ::EnableWindow(::GetDlgItem(window_, kFirstFlag + index), FALSE);  // a control before 4.1
        return;
    }
    ::CheckDlgButton(window_, kFirstFlag + index, value->lVal != 0 ? BST_CHECKED : BST_UNCHECKED);
}

HRESULT DemoWindow::Put(const wchar_t* name, VARIANT value) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    HRESULT hr = selvane_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return selvane_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

HRESULT DemoWindow::Get(const wchar_t* name, VARIANT* value) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    HRESULT hr = selvane_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{};
    return selvane_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
}

std::vector<std::wstring> DemoWindow::SelectedFiles() {
    std::vector<std::wstring> files;
    selvane::win32::Variant array;
    if (FAILED(Get(L"SelectedFiles", array.get())) || array->vt != (VT_ARRAY | VT_VARIANT)) return files;
    LONG low = 0, high = -1;
    ::SafeArrayGetLBound(array->parray, 1, &low);
    ::SafeArrayGetUBound(array->parray, 1, &high);
    for (LONG i = low; i <= high; ++i) {
        selvane::win32::Variant file;
        if (SUCCEEDED(::SafeArrayGetElement(array->parray, &i, file.get())) && file->vt == VT_BSTR) {
            files.emplace_back(file->bstrVal, ::SysStringLen(file->bstrVal));
        }
    }
    return files;
}

// The panel's edits follow the control, except the one the user is typing in.
void DemoWindow::ShowTexts() {
    const HWND focus = ::GetFocus();
    Bstr path;
    if (focus != ::GetDlgItem(window_, kPathEdit) && SUCCEEDED(selvane_->get_Path(path.put()))) {
        ::SetDlgItemTextW(window_, kPathEdit, path.str().c_str());
    }
    Bstr pattern;
    if (focus != ::GetDlgItem(window_, kTypeEdit) && SUCCEEDED(selvane_->get_FileType(pattern.put()))) {
        ::SetDlgItemTextW(window_, kTypeEdit, pattern.str().c_str());
    }
}

void DemoWindow::OnEvent(DISPID id) {
    if (id == com::kClickEvent) ++clicks_;
    Log(L"event: " + MemberName(events_.get(), id));
    const std::vector<std::wstring> files = SelectedFiles();
    if (id == com::kClickEvent && files.size() > 1) {
        std::wstring line = L"SelectedFiles -> " + std::to_wstring(files.size()) + L" files:";
        for (const std::wstring& file : files) line += L" " + file.substr(file.find_last_of(L'\\') + 1);
        Log(line);
    }
    ShowTexts();
}

void DemoWindow::OnPropertyChanged(DISPID id) {
    const std::wstring name = MemberName(members_.get(), id);
    changed_.push_back(name);
    Log(L"property changed: " + name);
    for (int i = 0; i < kFlagCount; ++i) {
        if (name == kFlags[i].name) ShowFlag(i);
    }
    if (name == L"Path" || name == L"FileType") ShowTexts();
}

void DemoWindow::Log(const std::wstring& line) {
    Print(line);
    if (!log_) return;
    const LRESULT index = ::SendMessageW(log_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (index >= 0) ::SendMessageW(log_, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    // Long lines scroll sideways.
    const selvane::win32::WindowDC dc(log_);
    if (dc.get()) {
        SIZE size{};
        {
            const selvane::win32::SelectedObject in_font(dc.get(),
                                                         font_ ? font_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
            ::GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &size);
        }
        if (size.cx + 8 > log_width_) {
            log_width_ = size.cx + 8;
            ::SendMessageW(log_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(log_width_), 0);
        }
    }
}

bool DemoWindow::Report(const std::wstring& call, HRESULT hr) {
    // The error information is read before any other call can replace it.
    Log(SUCCEEDED(hr) ? call + L": ok" : call + L": failed: " + DescribeFailure(control_.get(), IID__Selvane, hr));
    return SUCCEEDED(hr);
}

int DemoWindow::Run() {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (PreTranslate(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void DemoWindow::Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (PreTranslate(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// A container gives the active control the keys meant for it first (Tab and Shift+Tab move
// between its children), and the control's mnemonic keys (Alt+A) wherever the focus is.
bool DemoWindow::PreTranslate(MSG& message) {
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !window_) return false;
    if (IsMnemonic(message) && ole_control_) {
        ole_control_->OnMnemonic(&message);
        return true;
    }
    if (control_window_ && (message.hwnd == control_window_ || ::IsChild(control_window_, message.hwnd)) &&
        active_ && active_->TranslateAccelerator(&message) == S_OK) {
        return true;
    }
    // The window moves its focus like a dialog, into the control's children and out again.
    return ::IsDialogMessageW(window_, &message) != FALSE;
}

bool DemoWindow::IsMnemonic(const MSG& message) const {
    if (message.message != WM_SYSKEYDOWN) return false;
    return std::any_of(mnemonics_.begin(), mnemonics_.end(), [&](const ACCEL& key) {
        return (key.fVirt & (FVIRTKEY | FALT)) == (FVIRTKEY | FALT) && key.key == message.wParam;
    });
}

// The tour's visit to the About dialog: while AboutBox runs the dialog's modal loop, a timer
// finds the dialog, saves a screenshot of it and presses its OK button.
struct AboutVisit {
    bool seen = false;
    bool screenshot = false;
    std::wstring shot;  // the screenshot's name
} about_visit;

void CALLBACK VisitAbout(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND dialog = ::FindWindowW(L"SelvaneForm", L"Selvane OCX");
    if (!dialog || !::IsWindowVisible(dialog)) return;
    ::KillTimer(nullptr, timer);
    about_visit.seen = true;
    about_visit.screenshot = screenshots::SaveWindowScreenshot(dialog, about_visit.shot);
    ::SendMessageW(::FindWindowExW(dialog, nullptr, L"Button", nullptr), BM_CLICK, 0, 0);
}

void DemoWindow::Check(bool passed, const std::wstring& what) {
    Log((passed ? L"tour: ok: " : L"tour: FAILED: ") + what);
    if (!passed) ++failed_steps_;
}

bool DemoWindow::Tour() {
    Pump();
    // The class by its identifier too, as a program compiled against the header creates it.
    ComPtr<_Selvane> by_class;
    const HRESULT created = ::CoCreateInstance(CLSID_Selvane, nullptr, CLSCTX_INPROC_SERVER, IID__Selvane,
                                               reinterpret_cast<void**>(by_class.put()));
    Check(SUCCEEDED(created), SUCCEEDED(created) ? L"created by its class identifier"
                                                 : L"created by its class identifier: " +
                                                       DescribeFailure(nullptr, IID_NULL, created));
    by_class.reset();

    constexpr wchar_t kFolder[] = L"D:\\docs";
    constexpr wchar_t kPattern[] = L"*.txt";
    constexpr wchar_t kFile[] = L"a.txt";

    // The folder, typed into the panel and set with its button.
    Log(L"tour: Set Path to " + std::wstring(kFolder));
    ::SetDlgItemTextW(window_, kPathEdit, kFolder);
    changed_.clear();
    ::SendMessageW(::GetDlgItem(window_, kSetPath), BM_CLICK, 0, 0);
    Pump();
    Bstr path;
    selvane_->get_Path(path.put());
    Check(path.str() == kFolder && std::count(changed_.begin(), changed_.end(), L"Path") == 1,
          L"Path reads " + path.str() + L"; Path changed once");

    // The pattern, typed into the control's own pattern box a key at a time.
    Log(L"tour: type " + std::wstring(kPattern) + L" into the pattern box");
    const HWND pattern_box = PatternBoxOf(control_window_);
    const HWND file_list = FileListOf(control_window_);
    if (!pattern_box || !file_list) {
        Check(false, L"the control's window has a pattern box and a file list");
        return false;
    }
    ::SetFocus(pattern_box);
    ::SendMessageW(pattern_box, EM_SETSEL, 0, -1);
    for (const wchar_t* c = kPattern; *c; ++c) ::PostMessageW(pattern_box, WM_CHAR, *c, 1);
    Pump();
    Bstr pattern;
    selvane_->get_FileType(pattern.put());
    const int count = static_cast<int>(::SendMessageW(file_list, LB_GETCOUNT, 0, 0));
    bool all_match = count > 0;
    for (int i = 0; i < count; ++i) {
        const auto item = static_cast<WPARAM>(i);
        std::wstring name(static_cast<std::size_t>(::SendMessageW(file_list, LB_GETTEXTLEN, item, 0)) + 1, L'\0');
        name.resize(static_cast<std::size_t>(::SendMessageW(file_list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(name.data()))));
        all_match = all_match && EndsWithNoCase(name, L".txt");
    }
    Check(pattern.str() == kPattern && all_match,
          L"FileType reads " + pattern.str() + L"; " + std::to_wstring(count) + L" files, all *.txt");

    // A click on a file in the control's file list.
    Log(L"tour: click " + std::wstring(kFile) + L" in the file list");
    const int index = static_cast<int>(
        ::SendMessageW(file_list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(kFile)));
    RECT item{};
    const int clicks = clicks_;
    if (index >= 0 && ::SendMessageW(file_list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
        const LPARAM at = MAKELPARAM(item.left + 10, (item.top + item.bottom) / 2);
        ::PostMessageW(file_list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageW(file_list, WM_LBUTTONUP, 0, at);
        Pump();
    }
    Check(index >= 0 && clicks_ == clicks + 1, L"Click raised once");

    // Tab leaves the control past its file list for the next field; Shift+Tab comes back.
    Log(L"tour: Tab out of the file list and Shift+Tab back");
    auto press_tab = [&](bool shift) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(keys);
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        Pump();
        keys[VK_SHIFT] = 0;
        ::SetKeyboardState(keys);
    };
    ::SetFocus(file_list);
    press_tab(false);
    const HWND left_to = ::GetFocus();
    press_tab(true);
    Check(left_to && left_to != file_list && !::IsChild(control_window_, left_to) && ::GetFocus() == file_list,
          L"Tab left the control and Shift+Tab came back to its file list");

    // GetPath, through its button.
    Log(L"tour: GetPath");
    ::SendMessageW(::GetDlgItem(window_, kGetPath), BM_CLICK, 0, 0);
    Pump();
    const std::wstring expected = std::wstring(kFolder) + L"\\" + kFile;
    Check(last_get_path_ == expected, L"GetPath returned " + last_get_path_);

    // Several files: MultiSelect through its box, then a click with Ctrl on another file.
    constexpr wchar_t kAlso[] = L"Zeta.TXT";
    Log(L"tour: choose several files, Ctrl+click " + std::wstring(kAlso));
    ::SendMessageW(::GetDlgItem(window_, kFirstFlag + kFlagCount - 2), BM_CLICK, 0, 0);
    Pump();
    const HWND several_list = FileListOf(control_window_);
    const int also = static_cast<int>(
        ::SendMessageW(several_list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(kAlso)));
    if (also >= 0 && ::SendMessageW(several_list, LB_GETITEMRECT, static_cast<WPARAM>(also),
                                    reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
        const LPARAM at = MAKELPARAM(item.left + 10, (item.top + item.bottom) / 2);
        ::PostMessageW(several_list, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, at);
        ::PostMessageW(several_list, WM_LBUTTONUP, MK_CONTROL, at);
        Pump();
    }
    const std::vector<std::wstring> chosen = SelectedFiles();
    Check(chosen == std::vector<std::wstring>{expected, std::wstring(kFolder) + L"\\" + kAlso},
          L"SelectedFiles holds " + std::to_wstring(chosen.size()) + L" files");

    const std::wstring folder = screenshots::ArtifactsFolder();
    Check(screenshots::SaveWindowScreenshot(window_, shot_), L"screenshot " + folder + L"/" + shot_ + L".png");

    // The About dialog, through its button; the call returns when the dialog has closed.
    Log(L"tour: About...");
    about_visit = {};
    about_visit.shot = shot_ + L"-about";
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &VisitAbout);
    ::SendMessageW(::GetDlgItem(window_, kAboutBox), BM_CLICK, 0, 0);
    ::KillTimer(nullptr, timer);
    Check(about_visit.seen && !::FindWindowW(L"SelvaneForm", nullptr), L"the About dialog opened and closed with OK");
    Check(about_visit.screenshot, L"screenshot " + folder + L"/" + shot_ + L"-about.png");

    Log(failed_steps_ == 0 ? L"tour: done, every step as expected"
                           : L"tour: " + std::to_wstring(failed_steps_) + L" step(s) went wrong");
    return failed_steps_ == 0;
}

}  // namespace
}  // namespace selvane::demo

int wmain(int argc, wchar_t** argv) {
    // Lines end in LF alone, as the Unix side expects them.
    _setmode(_fileno(stdout), _O_BINARY);
    std::wstring path;
    std::wstring shot;
    bool tour = false;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--tour") == 0) {
            tour = true;
        } else if (std::wcscmp(argv[i], L"--path") == 0 && i + 1 < argc) {
            path = argv[++i];
        } else if (std::wcscmp(argv[i], L"--shot") == 0 && i + 1 < argc) {
            shot = argv[++i];
        } else {
            std::fprintf(stderr, "usage: selvane-demo [--path DIR] [--tour [--shot NAME]]\n");
            return 2;
        }
    }

    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (FAILED(::OleInitialize(nullptr))) {
        std::fprintf(stderr, "selvane-demo: OleInitialize failed\n");
        return 1;
    }
    int result = 0;
    {
        selvane::demo::DemoWindow demo;
        if (!shot.empty()) demo.SetShotName(shot);
        std::wstring error;
        if (!demo.Create(path, tour, &error)) {
            selvane::demo::Print(L"selvane-demo: " + error);
            result = 1;
        } else if (tour) {
            const bool passed = demo.Tour();
            demo.Close();
            demo.Run();
            result = passed ? 0 : 1;
        } else {
            result = demo.Run();
        }
    }
    ::OleUninitialize();
    return result;
}
