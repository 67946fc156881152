#include "host/stored_value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "host/error.h"
#include "paths/path_text.h"

namespace selvane::host {
namespace {

// Automation reads a string only up to its first NUL.
std::u16string_view UpToNul(const std::u16string& text) {
    return std::u16string_view(text).substr(0, text.find(u'\0'));
}

// The blanks automation skips around a number: Unicode's white space.
bool IsBlank(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool IsDecimalDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The digit's value in the base, or -1 for no digit of it.
int DigitValue(char16_t c, int base) {
    int value = -1;
    if (IsDecimalDigit(c)) value = c - u'0';
    if (c >= u'a' && c <= u'f') value = c - u'a' + 10;
    if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
    return value < base ? value : -1;
}

// A number as automation's parser reads it with every form allowed and the United States'
// signs ('-', '+', '.', ',' and '$').
struct ParsedNumber {
    int base = 10;                     // 16 and 8 for the &H and &O forms
    std::vector<std::uint8_t> digits;  // most significant first, leading zeros kept
    long long exponent = 0;            // the value is digits × 10^exponent; decimal only
    bool negative = false;             // decimal only: the &H and &O forms drop any sign
};

// Far beyond any exponent a double reaches, and far from overflowing a long long.
constexpr long long kHugeExponent = 1'000'000'000;

// The number, or none where automation finds none. Its quirks are kept on purpose: signs,
// "$" and "(" may come before the number in any order, once each; the sign, "$" and ")"
// after it, any number of times; separators anywhere after the first digit; and the
// exponent's signs in any number.
bool ParseNumber(std::u16string_view text, ParsedNumber& number) {
    const auto at = [&](std::size_t k) { return k < text.size() ? text[k] : u'\0'; };
    std::size_t i = 0;
    bool plus = false, minus = false, currency = false, parenthesis = false;
    for (;; ++i) {
        const char16_t c = at(i);
        if (c == u',') return false;  // no separator before the first digit
        if (IsBlank(c)) continue;
        if (c == u'+' && !plus) {
            plus = true;
        } else if (c == u'-' && !minus) {
            minus = true;
        } else if (c == u'$' && !currency) {
            currency = true;
        } else if (c == u'(' && !parenthesis) {
            parenthesis = true;
        } else {
            break;
        }
    }
    if (!currency && at(i) == u'&') {
        const char16_t form = at(i + 1);
        if (form == u'H' || form == u'h') number.base = 16;
        if (form == u'O' || form == u'o') number.base = 8;
        if (number.base != 10) i += 2;
    }
    const bool decimal = number.base == 10;
    bool point = false, exponent = false, exponent_due = false, exponent_negative = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        const int digit = DigitValue(c, number.base);
        if (exponent_due && IsDecimalDigit(c)) {
            long long power = 0;
            for (; i < text.size() && IsDecimalDigit(text[i]); ++i) {
                power = std::min(power * 10 + (text[i] - u'0'), kHugeExponent);
            }
            number.exponent += exponent_negative ? -power : power;
            exponent_due = false;
            --i;
        } else if (digit >= 0) {
            number.digits.push_back(static_cast<std::uint8_t>(digit));
            if (point) --number.exponent;
        } else if (c == u',' && decimal) {
            // a thousands separator, wherever it stands
        } else if (c == u'.' && decimal && !point && !exponent) {
            point = true;
        } else if ((c == u'e' || c == u'E') && decimal && !currency && !exponent) {
            exponent = exponent_due = true;
        } else if ((c == u'+' || c == u'-') && exponent_due) {
            exponent_negative = exponent_negative || c == u'-';
        } else {
            break;
        }
    }
    if (exponent_due || number.digits.empty()) return false;
    bool negative = minus;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if ((c == u'-' && !minus) || (c == u')' && parenthesis)) {
            negative = true;
        } else if (!(IsBlank(c) || (c == u'+' && !plus) || ((c == u',' || c == u'$') && decimal))) {
            break;
        }
    }
    // An opening parenthesis wants its closing one, though a minus sign will do.
    if (i != text.size() || (parenthesis && !negative)) return false;
    number.negative = negative;
    return true;
}

ParsedNumber NumberOrRefused(std::u16string_view text) {
    ParsedNumber number;
    if (!ParseNumber(text, number)) Raise(errc::kTypeMismatch);
    return number;
}

// An &H or &O form is a bit pattern; read here, any wider than 32 bits overflows.
std::uint32_t PatternOf(const ParsedNumber& number) {
    std::uint64_t pattern = 0;
    for (const std::uint8_t digit : number.digits) {
        pattern = pattern * static_cast<std::uint64_t>(number.base) + digit;
        if (pattern > 0xFFFFFFFFu) Raise(errc::kOverflow);
    }
    return static_cast<std::uint32_t>(pattern);
}

// A decimal rounded half to even on its own digits, not through a double: 2.5000000000000000001
// is nearer 3.
std::int32_t DecimalInt32(const ParsedNumber& number) {
    const auto nonzero = [](std::uint8_t digit) { return digit != 0; };
    const auto first = std::find_if(number.digits.begin(), number.digits.end(), nonzero);
    const std::vector<std::uint8_t> significant(first, number.digits.end());
    if (significant.empty()) return 0;
    const long long whole = static_cast<long long>(significant.size()) + number.exponent;  // digits before the point
    if (whole > 10) Raise(errc::kOverflow);
    std::uint64_t magnitude = 0;
    for (std::size_t k = 0; static_cast<long long>(k) < whole; ++k) {
        magnitude = magnitude * 10 + (k < significant.size() ? significant[k] : 0u);
    }
    if (whole >= 0 && static_cast<std::size_t>(whole) < significant.size()) {
        const auto tenths = significant.begin() + static_cast<std::ptrdiff_t>(whole);
        const bool above_half = std::any_of(tenths + 1, significant.end(), nonzero);
        if (*tenths > 5 || (*tenths == 5 && (above_half || magnitude % 2 == 1))) ++magnitude;
    }
    if (magnitude > (number.negative ? 2147483648u : 2147483647u)) Raise(errc::kOverflow);
    const auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(number.negative ? -value : value);
}

// Whether the number reads as a non-zero double, the way automation takes a truth value from
// text. A pattern above 0x80000000 overflows there, as Wine has it; Windows may read it as a
// negative number instead.
bool NonZeroDouble(const ParsedNumber& number) {
    if (number.base != 10) {
        const std::uint32_t pattern = PatternOf(number);
        if (pattern > 0x80000000u) Raise(errc::kOverflow);
        return pattern != 0;
    }
    // Digits and an exponent: no decimal point for strtod to take from the locale.
    std::string text;
    for (const std::uint8_t digit : number.digits) text.push_back(static_cast<char>('0' + digit));
    text += 'e' + std::to_string(number.exponent);
    const double value = std::strtod(text.c_str(), nullptr);
    if (std::isinf(value)) Raise(errc::kOverflow);
    return value != 0;  // a number too small for a double is zero
}

std::int32_t RoundToInt32(double number) {
    // nearbyint rounds half to even in the default rounding mode.
    double rounded = std::nearbyint(number);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) Raise(errc::kOverflow);
    return static_cast<std::int32_t>(rounded);
}

std::u16string Widen(const char* begin, const char* end) { return std::u16string(begin, end); }

struct ToInt32 {
    std::int32_t operator()(std::int32_t value) const { return value; }
    std::int32_t operator()(double value) const { return RoundToInt32(value); }
    std::int32_t operator()(bool value) const { return value ? -1 : 0; }
    std::int32_t operator()(const std::u16string& value) const {
        const ParsedNumber number = NumberOrRefused(UpToNul(value));
        return number.base == 10 ? DecimalInt32(number) : static_cast<std::int32_t>(PatternOf(number));
    }
};

struct ToTruthValue {
    TruthValue operator()(std::int32_t value) const { return ToTruth(value != 0); }
    TruthValue operator()(double value) const { return ToTruth(value != 0); }
    TruthValue operator()(bool value) const { return ToTruth(value); }
    TruthValue operator()(const std::u16string& value) const {
        // The words are matched whole, blanks included.
        const std::u16string_view text = UpToNul(value);
        if (paths::SameFoldingAscii(text, u"True") || text == u"#TRUE#") return kTrue;
        if (paths::SameFoldingAscii(text, u"False") || text == u"#FALSE#") return kFalse;
        return ToTruth(NonZeroDouble(NumberOrRefused(text)));
    }
};

struct ToText {
    std::u16string operator()(std::int32_t value) const {
        char buffer[16];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        return Widen(buffer, result.ptr);
    }
    std::u16string operator()(double value) const {
        char buffer[64];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        return Widen(buffer, result.ptr);
    }
    std::u16string operator()(bool value) const { return value ? u"-1" : u"0"; }
    std::u16string operator()(const std::u16string& value) const { return value; }
};

bool IsText(const StoredValue& value) { return std::holds_alternative<std::u16string>(value); }

}  // namespace

std::int32_t StoredInt32(const StoredValue& value, TextConversion text) {
    if (text == TextConversion::kNone && IsText(value)) Raise(errc::kTypeMismatch);
    return std::visit(ToInt32{}, value);
}

TruthValue StoredTruth(const StoredValue& value, TextConversion text) {
    if (text == TextConversion::kNone && IsText(value)) Raise(errc::kTypeMismatch);
    return std::visit(ToTruthValue{}, value);
}

std::u16string StoredText(const StoredValue& value, TextConversion text) {
    if (text == TextConversion::kNone && !IsText(value)) Raise(errc::kTypeMismatch);
    return std::visit(ToText{}, value);
}

}  // namespace selvane::host
