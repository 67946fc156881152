// Forms as top-level windows: a fixed single border, a caption with a close box only, centred on
// the screen, and the designed controls as child windows in tab order.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/forms.h"
#include "win32/child_window.h"
#include "win32/picture.h"
#include "win32/tool_tips.h"
#include "win32/win32_base.h"

namespace selvane::win32 {

class Win32Form final : public host::Form {
public:
    Win32Form(const host::form::Design& design, host::FormEvents& events);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    host::WindowHandle Handle() const override { return reinterpret_cast<host::WindowHandle>(window_.get()); }
    void ShowModal() override;
    void Unload() override;

    HWND hwnd() const { return window_.get(); }

private:
    struct Control {
        std::u16string name;
        host::form::Kind kind;
        HWND window;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void AddControl(const host::form::Control& design, int id);
    void Click(int id);
    // Enter on a focused button presses it, as the dialog manager does for a default button.
    bool PressFocusedButton(const MSG& message);

    host::FormEvents& events_;
    WindowContext context_;
    UniqueWindow window_;
    UniqueFont font_;
    std::unique_ptr<ToolTips> tips_;
    std::vector<std::unique_ptr<Picture>> pictures_;
    std::vector<Control> controls_;  // in tab order; a control's id is its index plus kFirstId
    bool loaded_ = true;
    bool in_modal_loop_ = false;
    // The control that had the focus when the form last lost the activation.
    HWND last_focus_ = nullptr;
};

class Win32Forms final : public host::Forms {
public:
    std::unique_ptr<host::Form> Create(const host::form::Design& design, host::FormEvents& events) override {
        return std::make_unique<Win32Form>(design, events);
    }
};

}  // namespace selvane::win32
