// Top-level forms built from a design: the About dialog is one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace selvane::host {

// A native window handle, opaque to the logic; 0 is none.
using WindowHandle = std::uintptr_t;

namespace form {

enum class Kind { kLabel, kCommandButton, kPictureBox };

// Positions and sizes in twips from the client area's top-left corner.
struct Control {
    std::u16string_view name;
    Kind kind;
    float left, top, width, height;
    int tab_index;
    std::u16string_view text;      // a label's or a button's caption
    std::u16string_view tool_tip;  // empty: none
    std::string_view picture;      // a picture box's image file (GIF), drawn at its top-left corner
};

// A form with a fixed single border, no minimise or maximise button, centred on the screen.
struct Design {
    std::u16string_view caption;
    float client_width, client_height;  // twips
    std::vector<Control> controls;
};

}  // namespace form

// Where a form's events go.
class FormEvents {
public:
    // The user clicked the named control (a button pressed from the keyboard counts).
    virtual void OnClick(std::u16string_view control) = 0;

protected:
    ~FormEvents() = default;
};

class Form {
public:
    virtual ~Form() = default;

    virtual WindowHandle Handle() const = 0;
    // Shows the form modally, with no owner: the thread's other windows take no input until it
    // is unloaded. Runs the form's own message loop and returns once it is unloaded; the focus
    // starts on the first control in tab order that can take it.
    virtual void ShowModal() = 0;
    // Closes the form; its close box does the same. Safe from inside one of its events.
    virtual void Unload() = 0;
};

class Forms {
public:
    virtual ~Forms() = default;

    // A new form with its controls, not yet shown. Fails when it can't be made.
    virtual std::unique_ptr<Form> Create(const form::Design& design, FormEvents& events) = 0;
};

}  // namespace selvane::host
