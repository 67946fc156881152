// The host application in memory: records what the control told it, in order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/site.h"

namespace selvane::memory {

class MemorySite : public host::Site {
public:
    void PropertyChanged(const host::Property& property) override;
    // Recorded first, then the handler runs, so a handler that calls back into the control
    // sees its own event already in the record.
    void RaiseClick() override;
    void RaiseDblClick() override;
    void ReportLoadError(const std::u16string& key, const RuntimeError& error) override;

    std::vector<std::u16string> notifications;  // property names
    std::vector<std::u16string> events;         // "Click", "DblClick"
    std::vector<std::pair<std::u16string, std::int32_t>> load_errors;  // key, error code
    std::function<void()> on_click;
    std::function<void()> on_dbl_click;
};

}  // namespace selvane::memory
