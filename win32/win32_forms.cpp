#include "win32/win32_forms.h"

#include <algorithm>
#include <cmath>

namespace selvane::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"SelvaneForm";
constexpr wchar_t kPictureBoxClass[] = L"SelvanePictureBox";
// Controls are numbered from here in tab order, clear of IDOK and IDCANCEL, which the dialog
// manager sends for Enter and Esc.
constexpr int kFirstId = 100;
// Fixed single border, a caption with the system menu and its close box, nothing to resize.
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
constexpr float kFontPoints = 8;

HBRUSH FaceBrush() { return reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)); }

// A picture box: its picture at the top-left corner on the form's colour; a click is a press
// and release of the left button over it, reported to the form as BN_CLICKED.
LRESULT CALLBACK PictureBoxProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: {
        const Painting painting(window);
        const auto* picture = reinterpret_cast<const Picture*>(::GetWindowLongPtrW(window, 0));
        if (picture && painting.get()) Contain([&] { picture->Draw(painting.get(), 0, 0); });
        return 0;
    }
    case WM_LBUTTONDOWN:
        ::SetCapture(window);
        return 0;
    case WM_LBUTTONUP:
        if (::GetCapture() == window) {
            ::ReleaseCapture();
            RECT client{};
            ::GetClientRect(window, &client);
            const POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
            if (::PtInRect(&client, at)) {
                ::SendMessageW(::GetParent(window), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(window), BN_CLICKED),
                               reinterpret_cast<LPARAM>(window));
            }
        }
        return 0;
    default:
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

struct WindowSearch {
    HWND form;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectInputWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    if (window != search->form && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) search->found.push_back(window);
    return TRUE;
}

// The thread's other windows that take input now; they take none while a form is modal.
std::vector<HWND> DisableOtherWindows(HWND form) {
    WindowSearch search{form, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectInputWindow, reinterpret_cast<LPARAM>(&search));
    for (HWND window : search.found) ::EnableWindow(window, FALSE);
    return search.found;
}

}  // namespace

Win32Form::Win32Form(const host::form::Design& design, host::FormEvents& events) : events_(events) {
    RegisterWindowClass(kFormClass, &WindowProc, FaceBrush(), kOwnerBytes);
    RegisterWindowClass(kPictureBoxClass, &PictureBoxProc, FaceBrush(), sizeof(LONG_PTR));
    {
        WindowDC screen(nullptr);
        context_.dpi_x = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
        context_.dpi_y = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    }

    // The client area as designed, centred on the screen.
    RECT frame{0, 0, context_.PixelsX(design.client_width), context_.PixelsY(design.client_height)};
    ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    const std::wstring caption = Wide(std::u16string(design.caption));
    window_.reset(::CreateWindowExW(kFormExStyle, kFormClass, caption.c_str(), kFormStyle, left, top, width, height,
                                    nullptr, nullptr, ThisModule(), this));
    if (!window_) RaiseLastError();
    context_.surface = window_.get();

    LOGFONTW font = MessageFont();
    font.lfHeight = -std::lround(kFontPoints * static_cast<float>(context_.dpi_y) / 72.0f);
    font_.reset(::CreateFontIndirectW(&font));
    if (!font_) Raise(errc::kOutOfMemory);
    tips_ = std::make_unique<ToolTips>(window_.get());
    context_.tips = tips_.get();

    // Created in tab order, which is the order Tab walks them.
    std::vector<host::form::Control> in_tab_order = design.controls;
    std::stable_sort(in_tab_order.begin(), in_tab_order.end(),
                     [](const auto& a, const auto& b) { return a.tab_index < b.tab_index; });
    for (const auto& control : in_tab_order) AddControl(control, kFirstId + static_cast<int>(controls_.size()));
}

Win32Form::~Win32Form() {
    if (window_) ForgetWindowOwner(window_.get());
    // The controls' windows go with the form's; the pictures outlive them.
    tips_.reset();
    window_.reset();
}

void Win32Form::AddControl(const host::form::Control& design, int id) {
    using host::form::Kind;
    const wchar_t* window_class = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (design.kind) {
    case Kind::kLabel: style |= SS_LEFT | SS_NOPREFIX; break;
    case Kind::kCommandButton:
        window_class = L"BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
    case Kind::kPictureBox:
        window_class = kPictureBoxClass;
        style |= WS_TABSTOP;
        break;
    }
    const std::wstring text = Wide(std::u16string(design.text));
    HWND window = ::CreateWindowExW(0, window_class, text.c_str(), style, context_.PixelsX(design.left),
                                    context_.PixelsY(design.top), context_.PixelsX(design.width),
                                    context_.PixelsY(design.height), window_.get(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    if (window == nullptr) RaiseLastError();
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (!design.picture.empty()) {
        pictures_.push_back(std::make_unique<Picture>(design.picture));
        ::SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(pictures_.back().get()));
    }
    if (!design.tool_tip.empty()) {
        tips_->Watch(window);
        tips_->Set(window, std::u16string(design.tool_tip));
    }
    controls_.push_back({std::u16string(design.name), design.kind, window});
}

void Win32Form::ShowModal() {
    if (!window_) Raise(errc::kIllegalFunctionCall);
    std::vector<HWND> disabled = DisableOtherWindows(window_.get());
    ::ShowWindow(window_.get(), SW_SHOWNORMAL);
    ::SetForegroundWindow(window_.get());
    if (HWND first = ::GetNextDlgTabItem(window_.get(), nullptr, FALSE)) ::SetFocus(first);

    in_modal_loop_ = true;
    MSG message{};
    while (loaded_) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // The application is quitting: the loop that owns the thread must see it too.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        if (PressFocusedButton(message) || ::IsDialogMessageW(window_.get(), &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    in_modal_loop_ = false;

    // The other windows take input again before the form goes, so that one of them is activated
    // in its place.
    for (auto window = disabled.rbegin(); window != disabled.rend(); ++window) {
        if (::IsWindow(*window)) ::EnableWindow(*window, TRUE);
    }
    loaded_ = false;
    window_.reset();
}

void Win32Form::Unload() {
    loaded_ = false;
    if (in_modal_loop_) {
        // The loop ends at its next turn and closes the form; this wakes it if it is waiting.
        ::PostMessageW(window_.get(), WM_NULL, 0, 0);
    } else {
        window_.reset();
    }
}

bool Win32Form::PressFocusedButton(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
    HWND focus = ::GetFocus();
    if (focus == nullptr || ::GetParent(focus) != window_.get()) return false;
    if ((::SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) == 0) {
        return false;
    }
    ::SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

void Win32Form::Click(int id) {
    const auto index = static_cast<std::size_t>(id - kFirstId);
    if (index < controls_.size()) events_.OnClick(controls_[index].name);
}

LRESULT CALLBACK Win32Form::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* form = WindowOwner<Win32Form>(window, message, lparam);
    if (form == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    return form->Handle(window, message, wparam, lparam);
}

// The form, its labels and its picture boxes are drawn in the system's colours (the button face,
// the window text): a change of them, or of the high-contrast mode, shows at once.
LRESULT Win32Form::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (RedrawOnColorChange(window, message, wparam)) return 0;
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wparam) == BN_CLICKED && lparam != 0) Contain([&] { Click(LOWORD(wparam)); });
        return 0;
    case WM_ACTIVATE:
        // As a dialog does: a message box over the form, or another window, takes the focus
        // away; when the form is active again the control that had it gets it back, so that
        // Enter still presses the focused button.
        if (LOWORD(wparam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus && ::IsChild(window, focus)) last_focus_ = focus;
            return 0;
        } else {
            const bool kept = last_focus_ && ::IsWindow(last_focus_) && ::IsChild(window, last_focus_);
            const HWND target = kept ? last_focus_ : ::GetNextDlgTabItem(window, nullptr, FALSE);
            if (target) ::SetFocus(target);
            return 0;
        }
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DESTROY:
        // Gone by another hand (its thread's end, say): the modal loop must not wait for it.
        loaded_ = false;
        return 0;
    default:
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace selvane::win32
