// The saved settings: keys, defaults and the order in which they are written and read.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/design.h"
#include "host/types.h"

namespace selvane::settings {

inline constexpr std::u16string_view kDefaultPath = u"C:\\";

inline constexpr std::int32_t kDefaultBackColor = static_cast<std::int32_t>(kButtonFaceColor);
inline constexpr std::int32_t kDefaultLabelColor = 0;
inline constexpr TruthValue kDefaultLabelBold = kFalse;
inline constexpr TruthValue kDefaultDirOnly = kFalse;
inline constexpr TruthValue kDefaultServer = kFalse;
inline constexpr TruthValue kDefaultTips = kTrue;
inline constexpr std::u16string_view kDefaultFileType = design::kPattern;
inline constexpr TruthValue kDefaultShowHidden = kFalse;

}  // namespace selvane::settings
