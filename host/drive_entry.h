// The text of one drive-list entry, as every drive list shows it.
#pragma once

#include <string>

namespace selvane::host {

// "c:" for a drive with nothing to show, "c: [label]" for a labelled local drive,
// "x: [\\server\share]" for a network drive and its connected volume. The letter is lower-cased.
std::u16string FormatDriveEntry(char16_t letter, const std::u16string& label_or_unc);

}  // namespace selvane::host
