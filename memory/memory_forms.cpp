#include "memory/memory_forms.h"

#include "host/error.h"

namespace selvane::memory {

MemoryForm::MemoryForm(MemoryForms& forms, const host::form::Design& design, host::FormEvents& events,
                       host::WindowHandle handle)
    : forms_(forms), design_(design), events_(events), handle_(handle) {
    ++forms_.alive;
}

MemoryForm::~MemoryForm() { --forms_.alive; }

void MemoryForm::ShowModal() {
    if (forms_.fail_show) Raise(errc::kOutOfMemory);
    ++forms_.shown;
    if (forms_.user) forms_.user(*this);
    if (loaded_) ++forms_.shown_open;
}

// A label takes no clicks: Windows' static control tells its parent of none.
void MemoryForm::Click(std::u16string_view control) {
    for (const auto& designed : design_.controls) {
        if (designed.name != control) continue;
        if (designed.kind != host::form::Kind::kLabel) events_.OnClick(control);
        return;
    }
    Raise(errc::kMemberNotSupported);
}

std::unique_ptr<host::Form> MemoryForms::Create(const host::form::Design& design, host::FormEvents& events) {
    if (fail_create) Raise(errc::kOutOfMemory);
    ++created;
    return std::make_unique<MemoryForm>(*this, design, events, static_cast<host::WindowHandle>(0x1000 + created));
}

}  // namespace selvane::memory
