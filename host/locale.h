// The user's locale: date, time and number forms, and the case mapping of paths.
#pragma once

#include <string>

#include "host/types.h"

namespace selvane::host {

class Locale {
public:
    virtual ~Locale() = default;

    virtual std::u16string ShortDate(const LocalTime& time) const = 0;
    virtual std::u16string LongTime(const LocalTime& time) const = 0;
    virtual std::u16string ThousandsSeparator() const = 0;

    // Case mapping as the file system's own names follow it.
    virtual std::u16string ToLower(const std::u16string& text) const = 0;
    virtual std::u16string ToUpper(const std::u16string& text) const = 0;
};

}  // namespace selvane::host
