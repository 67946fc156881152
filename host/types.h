// Plain value types shared by the control's logic and every host.
#pragma once

#include <cstdint>
#include <string>

namespace selvane {

// Truth values travel as 16 bits: True is -1, False is 0, and any non-zero value counts as true.
using TruthValue = std::int16_t;
inline constexpr TruthValue kTrue = -1;
inline constexpr TruthValue kFalse = 0;

inline constexpr TruthValue ToTruth(bool value) { return value ? kTrue : kFalse; }
inline constexpr bool IsTrue(TruthValue value) { return value != 0; }

// 0x00BBGGRR for a plain colour; 0x80000000 and above name a system colour.
using Color = std::uint32_t;
inline constexpr Color kButtonFaceColor = 0x8000000F;

// How the user chooses in the file list: one file; several, each click choosing or unchoosing
// one; several, with Shift choosing a run and Ctrl adding or taking one, as Explorer does.
enum class SelectionMode { kOne = 0, kToggle = 1, kExtend = 2 };

// The order the file and directory lists show names in: the lists' own, where "file10" comes
// before "file2"; or Explorer's, which reads a run of digits as the number it is.
enum class NameOrder { kPlain = 0, kNumbersAsNumbers = 1 };

// A wall-clock moment in local time, as a file's last-write time is shown.
struct LocalTime {
    int year = 1980;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// File attributes as the file system reports them.
namespace attr {
inline constexpr std::uint32_t kReadOnly = 0x01;
inline constexpr std::uint32_t kHidden = 0x02;
inline constexpr std::uint32_t kSystem = 0x04;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
}  // namespace attr

}  // namespace selvane
