// The user's locale: the general date form and digit grouping, and Windows' own case mapping.
#pragma once

#include <windows.h>

#include "host/locale.h"

namespace selvane::win32 {

class Win32Locale final : public host::Locale {
public:
    explicit Win32Locale(LCID locale = LOCALE_USER_DEFAULT) : locale_(locale) {}

    std::u16string ShortDate(const LocalTime& time) const override;
    std::u16string LongTime(const LocalTime& time) const override;
    std::u16string ThousandsSeparator() const override;
    std::u16string ToLower(const std::u16string& text) const override;
    std::u16string ToUpper(const std::u16string& text) const override;

private:
    LCID locale_;
};

}  // namespace selvane::win32
