#include "win32/message_hooks.h"

#include <algorithm>
#include <utility>

#include "win32/win32_base.h"

namespace selvane::win32 {
namespace {

// The chains of every hooked window in the process, by window, sorted. The module's own: a
// window's user data, its extra bytes and its properties stay its program's, and a host that
// walks its form's windows and writes into them (an old window procedure kept in the user data
// of each, a pointer to its own data) changes nothing here. Windows of several threads may be
// hooked; each chain is used on its window's thread only, so the lock guards the table alone.
SRWLOCK g_chains_lock = SRWLOCK_INIT;
std::vector<std::pair<HWND, HookChain*>>* g_chains = nullptr;

auto Entry(HWND window) {
    return std::lower_bound(g_chains->begin(), g_chains->end(), window,
                            [](const std::pair<HWND, HookChain*>& entry, HWND key) { return entry.first < key; });
}

HookChain* ChainOf(HWND window) {
    const SrwLocked locked(g_chains_lock, SrwLocked::kShared);
    if (g_chains == nullptr) return nullptr;
    const auto at = Entry(window);
    return at != g_chains->end() && at->first == window ? at->second : nullptr;
}

void Enter(HWND window, HookChain* chain) {
    const SrwLocked locked(g_chains_lock);
    if (g_chains == nullptr) g_chains = new std::vector<std::pair<HWND, HookChain*>>;
    g_chains->insert(Entry(window), {window, chain});
}

void Remove(HWND window) {
    const SrwLocked locked(g_chains_lock);
    if (g_chains == nullptr) return;
    const auto at = Entry(window);
    if (at != g_chains->end() && at->first == window) g_chains->erase(at);
    // The last window gone, the table goes too: nothing of it stays when the library is unloaded.
    if (g_chains->empty()) {
        delete g_chains;
        g_chains = nullptr;
    }
}

}  // namespace

class HookChain {
public:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        HookChain* chain = ChainOf(window);
        if (chain == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
        const std::unique_ptr<HookChain> ending(message == WM_NCDESTROY ? chain : nullptr);
        if (ending) {
            // The window is going: it gets its own procedure back, unless a program's subclass
            // sits on top of ours, whose own procedure is for it to put back.
            Remove(window);
            if (::GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Procedure)) {
                ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original_));
            }
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
        HookChain* chain = ChainOf(window);
        if (chain == nullptr) {
            auto made = std::make_unique<HookChain>();
            Enter(window, made.get());
            made->original_ = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
            if (made->original_ == nullptr) {
                Remove(window);
                RaiseLastError();
            }
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

std::size_t HookedWindows() noexcept {
    const SrwLocked locked(g_chains_lock, SrwLocked::kShared);
    return g_chains == nullptr ? 0 : g_chains->size();
}

void ReleaseHookTable() noexcept {
    const SrwLocked locked(g_chains_lock);
    delete g_chains;
    g_chains = nullptr;
}

}  // namespace selvane::win32
