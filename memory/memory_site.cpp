#include "memory/memory_site.h"

namespace selvane::memory {

void MemorySite::PropertyChanged(const host::Property& property) {
    notifications.emplace_back(property.name);
}

void MemorySite::RaiseClick() {
    events.push_back(u"Click");
    if (on_click) on_click();
}

void MemorySite::RaiseDblClick() {
    events.push_back(u"DblClick");
    if (on_dbl_click) on_dbl_click();
}

void MemorySite::ReportLoadError(const std::u16string& key, const RuntimeError& error) {
    load_errors.emplace_back(key, error.code());
}

}  // namespace selvane::memory
