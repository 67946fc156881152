#include "host/stored_value.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "host/error.h"
#include "paths/path_text.h"

namespace selvane::host {
namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string Trim(const std::u16string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin])) ++begin;
    while (end > begin && IsSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool SameWord(const std::u16string& text, const std::u16string& word) { return paths::SameFoldingAscii(text, word); }

// A decimal number: sign, digits with an optional fraction, optional exponent. Checked here
// rather than left to strtod, which would also take "inf", "nan" and hexadecimal.
bool ParseNumber(const std::u16string& raw, double& number) {
    std::u16string text = Trim(raw);
    std::size_t i = 0, digits = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    for (; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    if (i < text.size() && text[i] == u'.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
        std::size_t exponent_digits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i) ++exponent_digits;
        if (exponent_digits == 0) return false;
    }
    if (i != text.size()) return false;
    std::string narrow(text.begin(), text.end());
    number = std::strtod(narrow.c_str(), nullptr);
    return true;
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
        double number = 0;
        if (!ParseNumber(value, number)) Raise(errc::kTypeMismatch);
        return RoundToInt32(number);
    }
};

struct ToTruthValue {
    TruthValue operator()(std::int32_t value) const { return ToTruth(value != 0); }
    TruthValue operator()(double value) const { return ToTruth(value != 0); }
    TruthValue operator()(bool value) const { return ToTruth(value); }
    TruthValue operator()(const std::u16string& value) const {
        std::u16string text = Trim(value);
        if (SameWord(text, u"True")) return kTrue;
        if (SameWord(text, u"False")) return kFalse;
        double number = 0;
        if (!ParseNumber(text, number)) Raise(errc::kTypeMismatch);
        return ToTruth(number != 0);
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
