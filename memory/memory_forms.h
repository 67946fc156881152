// Forms in memory: a form records how it was designed and shown, and "the user" (a function the
// test gives) acts on it while it is shown modally.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "host/forms.h"

namespace selvane::memory {

class MemoryForms;

class MemoryForm : public host::Form {
public:
    MemoryForm(MemoryForms& forms, const host::form::Design& design, host::FormEvents& events, host::WindowHandle handle);
    ~MemoryForm() override;

    host::WindowHandle Handle() const override { return handle_; }
    // Hands the form to the user; the modal loop then ends, unloaded or not (shown_open says).
    void ShowModal() override;
    void Unload() override { loaded_ = false; }

    // What the user does to a shown form: click a control (by name; a label reports nothing), or
    // its close box.
    void Click(std::u16string_view control);
    void Close() { Unload(); }

    const host::form::Design& design() const { return design_; }
    bool loaded() const { return loaded_; }

private:
    MemoryForms& forms_;
    host::form::Design design_;
    host::FormEvents& events_;
    host::WindowHandle handle_;
    bool loaded_ = true;
};

class MemoryForms : public host::Forms {
public:
    std::unique_ptr<host::Form> Create(const host::form::Design& design, host::FormEvents& events) override;

    // Called with each form shown modally, while it is shown.
    std::function<void(MemoryForm&)> user;
    // The next Create or ShowModal fails.
    bool fail_create = false;
    bool fail_show = false;

    int created = 0;
    int alive = 0;
    int shown = 0;
    // Forms whose modal loop ended without the form being unloaded.
    int shown_open = 0;
};

}  // namespace selvane::memory
