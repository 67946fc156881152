#include "memory/memory_locale.h"

namespace selvane::memory {
namespace {

std::u16string Decimal(int value, std::size_t min_digits = 1) {
    bool negative = value < 0;
    unsigned magnitude = negative ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (digits.size() < min_digits) digits.insert(0, min_digits - digits.size(), u'0');
    if (negative) digits.insert(digits.begin(), u'-');
    return digits;
}

}  // namespace

char16_t LowerChar(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 0x50);
    return c;
}

char16_t UpperChar(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c >= 0x00E0 && c <= 0x00FE && c != 0x00F7) return static_cast<char16_t>(c - 0x20);
    // U+03C2, final sigma, has no capital of its own in this mapping.
    if (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
    return c;
}

std::u16string LowerCase(std::u16string text) {
    for (char16_t& c : text) c = LowerChar(c);
    return text;
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    }
    return true;
}

std::u16string MemoryLocale::ShortDate(const LocalTime& time) const {
    return Decimal(time.month) + u'/' + Decimal(time.day) + u'/' + Decimal(time.year, 4);
}

std::u16string MemoryLocale::LongTime(const LocalTime& time) const {
    int hour = time.hour % 12;
    if (hour == 0) hour = 12;
    return Decimal(hour) + u':' + Decimal(time.minute, 2) + u':' + Decimal(time.second, 2) +
           (time.hour < 12 ? u" AM" : u" PM");
}

std::u16string MemoryLocale::ThousandsSeparator() const { return u","; }

std::u16string MemoryLocale::ToLower(const std::u16string& text) const { return LowerCase(text); }

std::u16string MemoryLocale::ToUpper(const std::u16string& text) const {
    std::u16string upper = text;
    for (char16_t& c : upper) c = UpperChar(c);
    return upper;
}

}  // namespace selvane::memory
