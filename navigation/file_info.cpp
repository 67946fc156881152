// The chosen file's details as the file information label shows them.
#include "navigation/file_info.h"

namespace selvane::file_info {

std::u16string GroupDigits(std::uint64_t value, const std::u16string& separator) {
    std::u16string text;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) text.insert(0, separator);
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
        ++digits;
    } while (value > 0);
    return text;
}

std::u16string Describe(const LocalTime& modified, std::uint64_t length, const host::Locale& locale) {
    std::u16string when = locale.ShortDate(modified);
    if (modified.hour != 0 || modified.minute != 0 || modified.second != 0) when += u' ' + locale.LongTime(modified);
    return when + u"  " + GroupDigits(length, locale.ThousandsSeparator());
}

}  // namespace selvane::file_info
