#include "host/drive_entry.h"

namespace selvane::host {

std::u16string FormatDriveEntry(char16_t letter, const std::u16string& label_or_unc) {
    if (letter >= u'A' && letter <= u'Z') letter = static_cast<char16_t>(letter - u'A' + u'a');
    std::u16string entry{letter, u':'};
    if (!label_or_unc.empty()) entry += u" [" + label_or_unc + u"]";
    return entry;
}

}  // namespace selvane::host
