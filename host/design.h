// The surface as designed: what every host builds before the control's code first runs.
#pragma once

#include <array>
#include <string_view>

namespace selvane::design {

// Twips: 1/1440 inch, 15 to a pixel at 96 dots per inch.
inline constexpr float kSurfaceWidth = 4815;
inline constexpr float kSurfaceHeight = 4470;
inline constexpr float kFontSize = 8;

inline constexpr std::u16string_view kPattern = u"*.*";
inline constexpr std::u16string_view kAllCaption = u"&All";

inline constexpr std::u16string_view kDriveTip = u" Select Drive ";
inline constexpr std::u16string_view kDirTip = u" Select Directory ";
inline constexpr std::u16string_view kPatternTip = u" Specify File Pattern ";
inline constexpr std::u16string_view kAllTip = u" Select All Files ";
inline constexpr std::u16string_view kFileTip = u" Select File ";

enum class Kind { kButton, kTextBox, kListBox, kDirList, kDriveList, kLabel };

struct Child {
    std::u16string_view name;
    Kind kind;
    float left, top, width, height;
    int tab_index;
    std::u16string_view text;
    std::u16string_view tool_tip;
};

// In the order the surface's collection lists them.
inline constexpr std::array<Child, 7> kChildren = {{
    {u"Command1", Kind::kButton, 4200, 2040, 495, 255, 3, kAllCaption, kAllTip},
    {u"Text1", Kind::kTextBox, 120, 2040, 4095, 285, 2, kPattern, kPatternTip},
    {u"List1", Kind::kListBox, 120, 2760, 4575, 1230, 4, u"", kFileTip},
    {u"Dir1", Kind::kDirList, 120, 480, 4575, 1440, 1, u"", kDirTip},
    {u"Drive1", Kind::kDriveList, 120, 120, 4575, 315, 0, u"", kDriveTip},
    {u"Label2", Kind::kLabel, 120, 4080, 4575, 255, 6, u"", u""},
    {u"Label1", Kind::kLabel, 120, 2400, 4575, 255, 5, u"", u""},
}};

}  // namespace selvane::design
