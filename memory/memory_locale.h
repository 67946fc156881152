// English (United States) as the in-memory host's locale, and the case mapping that the in-memory
// file system's names follow.
#pragma once

#include <string>

#include "host/locale.h"

namespace selvane::memory {

// One UTF-16 unit mapped as the file system maps names: ASCII, Latin-1, Greek and Cyrillic
// capitals; everything else maps to itself.
char16_t LowerChar(char16_t c);
char16_t UpperChar(char16_t c);
std::u16string LowerCase(std::u16string text);

// Whether two names are the same name to the file system.
bool SameName(const std::u16string& a, const std::u16string& b);

class MemoryLocale : public host::Locale {
public:
    // "M/D/YYYY", no leading zeros.
    std::u16string ShortDate(const LocalTime& time) const override;
    // "h:mm:ss AM", 12-hour clock.
    std::u16string LongTime(const LocalTime& time) const override;
    std::u16string ThousandsSeparator() const override;

    std::u16string ToLower(const std::u16string& text) const override;
    std::u16string ToUpper(const std::u16string& text) const override;
};

}  // namespace selvane::memory
