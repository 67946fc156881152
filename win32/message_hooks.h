// Watching the messages of a window of a system class (an edit, a list box, a combo box) from
// this module's code.
//
// The common controls' SetWindowSubclass looks up a window property at every message the
// window gets, whatever it is; under Wine each lookup is a trip to the window server, tens of
// microseconds, three of them a message. A list box gets a message for every question the
// control asks it, and a child's parent one for every notification: a keystroke in the pattern
// box cost a millisecond and more in lookups alone. Hooks keep their chains in a table of this
// module's own, by window, instead: the window's user data, extra bytes and properties stay the
// program's, whatever it writes there.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

namespace selvane::win32 {

class HookChain;

// Passes the message a hook is looking at on: to the hooks added before it, and after them to
// the window's own procedure. Returns what they answer.
class PassOn {
public:
    LRESULT operator()() const;

private:
    friend class HookChain;
    PassOn(const HookChain& chain, std::size_t below, HWND window, UINT message, WPARAM wparam, LPARAM lparam)
        : chain_(chain), below_(below), window_(window), message_(message), wparam_(wparam), lparam_(lparam) {}

    const HookChain& chain_;
    std::size_t below_;
    HWND window_;
    UINT message_;
    WPARAM wparam_;
    LPARAM lparam_;
};

// Sees a message before the hooks added earlier and the window do. It answers it itself, or
// returns what pass_on() answers, changed or not. A hook must not throw, nor add hooks.
using MessageHook =
    std::function<LRESULT(HWND window, UINT message, WPARAM wparam, LPARAM lparam, const PassOn& pass_on)>;

// Adds the hook to the window's chain; the chain goes with the window. A program's subclass on
// top of the chain (its old procedure kept in the user data, in a global or by SetWindowSubclass)
// passes messages on to the chain as to any window procedure.
void HookMessages(HWND window, MessageHook hook);

// How many windows have a chain: none once every hooked window has gone.
std::size_t HookedWindows() noexcept;

// Lets go of the table at unload, whatever a host left behind; a window still hooked then has
// outlived the code its procedure is in, whatever becomes of the table.
void ReleaseHookTable() noexcept;

}  // namespace selvane::win32
