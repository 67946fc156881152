// The host application as the control sees it: its two events, the property-changed
// notification, and where loading reports the settings it had to skip.
#pragma once

#include <string>

#include "host/error.h"
#include "host/property.h"

namespace selvane::host {

class Site {
public:
    virtual ~Site() = default;

    // The public property changed, so the host will save the control.
    virtual void PropertyChanged(const Property& property) = 0;

    // Raised synchronously: the host's handler runs to its end, and may call back into the
    // control, before the caller goes on.
    virtual void RaiseClick() = 0;
    virtual void RaiseDblClick() = 0;

    // A saved setting that loading could not apply and skipped.
    virtual void ReportLoadError(const std::u16string& key, const RuntimeError& error) = 0;
};

}  // namespace selvane::host
