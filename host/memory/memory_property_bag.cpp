#include "host/memory/memory_property_bag.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "host/error.h"
#include "host/memory/memory_locale.h"

namespace selvane::memory {
namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string Trim(const std::u16string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin])) ++begin;
    while (end > begin && IsSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

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

struct ToBool {
    TruthValue operator()(std::int32_t value) const { return ToTruth(value != 0); }
    TruthValue operator()(double value) const { return ToTruth(value != 0); }
    TruthValue operator()(bool value) const { return ToTruth(value); }
    TruthValue operator()(const std::u16string& value) const {
        std::u16string text = Trim(value);
        if (SameName(text, u"True")) return kTrue;
        if (SameName(text, u"False")) return kFalse;
        double number = 0;
        if (!ParseNumber(text, number)) Raise(errc::kTypeMismatch);
        return ToTruth(number != 0);
    }
};

struct ToString {
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
    std::u16string operator()(bool value) const { return value ? u"True" : u"False"; }
    std::u16string operator()(const std::u16string& value) const { return value; }
};

}  // namespace

void MemoryPropertyBag::Set(const std::u16string& key, Value value) {
    values_[LowerCase(key)] = {key, std::move(value)};
}

bool MemoryPropertyBag::Has(const std::u16string& key) const { return Find(key) != nullptr; }

const MemoryPropertyBag::Value& MemoryPropertyBag::Get(const std::u16string& key) const {
    const Value* value = Find(key);
    if (value == nullptr) throw std::out_of_range("no such key in the property bag");
    return *value;
}

const MemoryPropertyBag::Value* MemoryPropertyBag::Find(const std::u16string& key) const {
    auto found = values_.find(LowerCase(key));
    return found == values_.end() ? nullptr : &found->second.second;
}

std::int32_t MemoryPropertyBag::ReadInt32(const std::u16string& key, std::int32_t default_value) {
    reads.push_back(key);
    const Value* value = Find(key);
    return value == nullptr ? default_value : std::visit(ToInt32{}, *value);
}

TruthValue MemoryPropertyBag::ReadBool(const std::u16string& key, TruthValue default_value) {
    reads.push_back(key);
    const Value* value = Find(key);
    return value == nullptr ? default_value : std::visit(ToBool{}, *value);
}

std::u16string MemoryPropertyBag::ReadString(const std::u16string& key, const std::u16string& default_value) {
    reads.push_back(key);
    const Value* value = Find(key);
    return value == nullptr ? default_value : std::visit(ToString{}, *value);
}

void MemoryPropertyBag::Write(const std::u16string& key, Value value, bool is_default) {
    writes.push_back(key);
    if (is_default && !keep_defaults) {
        values_.erase(LowerCase(key));
    } else {
        Set(key, std::move(value));
    }
}

void MemoryPropertyBag::WriteInt32(const std::u16string& key, std::int32_t value, std::int32_t default_value) {
    Write(key, value, value == default_value);
}

void MemoryPropertyBag::WriteBool(const std::u16string& key, TruthValue value, TruthValue default_value) {
    Write(key, IsTrue(value), IsTrue(value) == IsTrue(default_value));
}

void MemoryPropertyBag::WriteString(const std::u16string& key, const std::u16string& value,
                                    const std::u16string& default_value) {
    Write(key, value, value == default_value);
}

}  // namespace selvane::memory
