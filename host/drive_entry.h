// One drive as every drive list shows it, and the text of its entry.
#pragma once

#include <string>

namespace selvane::host {

enum class DriveKind { kFixed, kRemovable, kNetwork, kOther };

struct DriveEntry {
    char16_t letter = 0;  // lower case
    DriveKind kind = DriveKind::kFixed;
    // A local drive's label, or the volume a network drive is connected to ("\\server\share");
    // empty when there is nothing to show.
    std::u16string label_or_unc;

    // "c:" for a drive with nothing to show, "c: [label]" for a labelled local drive,
    // "x: [\\server\share]" for a network drive and its connected volume.
    std::u16string Text() const;
};

inline bool operator==(const DriveEntry& a, const DriveEntry& b) {
    return a.letter == b.letter && a.kind == b.kind && a.label_or_unc == b.label_or_unc;
}

}  // namespace selvane::host
