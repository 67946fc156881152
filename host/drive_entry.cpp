#include "host/drive_entry.h"

namespace selvane::host {

std::u16string DriveEntry::Text() const {
    std::u16string entry{letter, u':'};
    if (!label_or_unc.empty()) entry += u" [" + label_or_unc + u"]";
    return entry;
}

}  // namespace selvane::host
