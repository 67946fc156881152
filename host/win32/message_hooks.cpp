#include "host/win32/message_hooks.h"

#include "host/win32/win32_base.h"

namespace selvane::win32 {

class HookChain {
public:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        auto* chain = reinterpret_cast<HookChain*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (chain == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
        const std::unique_ptr<HookChain> ending(message == WM_NCDESTROY ? chain : nullptr);
        if (ending) {
            // The window is going: it gets its own procedure and its user data back.
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original_));
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        }
        LRESULT result = 0;
        Contain([&] { result = chain->Dispatch(chain->hooks_.size(), window, message, wparam, lparam); });
        return result;
    }

    // The hooks below `index` see the message, the newest first, and then the window.
    LRESULT Dispatch(std::size_t index, HWND window, UINT message, WPARAM wparam, LPARAM lparam) const {
        if (index == 0) return ::CallWindowProcW(original_, window, message, wparam, lparam);
        return hooks_[index - 1](window, message, wparam, lparam,
                                 PassOn(*this, index - 1, window, message, wparam, lparam));
    }

    static void Add(HWND window, MessageHook hook) {
        auto* chain = reinterpret_cast<HookChain*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        const bool chained = ::GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Procedure);
        if (!chained) {
            if (chain != nullptr) Raise(errc::kIllegalFunctionCall);  // the user data is someone else's
            auto made = std::make_unique<HookChain>();
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made.get()));
            made->original_ = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
            chain = made.release();
        }
        chain->hooks_.push_back(std::move(hook));
    }

private:
    WNDPROC original_ = nullptr;
    std::vector<MessageHook> hooks_;
};

LRESULT PassOn::operator()() const { return chain_.Dispatch(below_, window_, message_, wparam_, lparam_); }

void HookMessages(HWND window, MessageHook hook) { HookChain::Add(window, std::move(hook)); }

}  // namespace selvane::win32
