#include "memory/memory_collation.h"

#include <cstdint>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace selvane::memory {
namespace {

// Symbols in the system's order; an entry's position is its weight.
constexpr std::u16string_view kSymbols =
    u" \u00A0!\"#$%&()*,./:;?@[\\]^_`{|}~\u00A1\u00A6\u00A8\u00AF\u00B4\u00B8\u00BF\u00A2\u00A3\u00A4\u00A5+<=>"
    u"\u00B1\u00AB\u00BB\u00D7\u00F7\u00A7\u00A9\u00AC\u00AE\u00B0\u00B5\u00B6\u00B7";

enum Group : std::uint32_t { kSymbol = 1, kDigit = 2, kLetter = 3, kOther = 4 };
// Accents, in the order the system ranks them.
enum Accent : std::uint8_t { kNone, kOrdinal, kAcute, kGrave, kCircumflex, kDiaeresis, kTilde, kRing, kCedilla,
                             kStroke, kLigature, kSuperscript };

struct Letter {
    char16_t unit;
    const char16_t* base;  // lower case, one or two letters
    Accent accent;
};

// Latin-1's letters with an accent or made of two, by their lower-case form.
constexpr Letter kLatin1Letters[] = {
    {u'\u00E0', u"a", kGrave},     {u'\u00E1', u"a", kAcute},   {u'\u00E2', u"a", kCircumflex},
    {u'\u00E3', u"a", kTilde},     {u'\u00E4', u"a", kDiaeresis}, {u'\u00E5', u"a", kRing},
    {u'\u00E6', u"ae", kLigature}, {u'\u00E7', u"c", kCedilla}, {u'\u00E8', u"e", kGrave},
    {u'\u00E9', u"e", kAcute},     {u'\u00EA', u"e", kCircumflex}, {u'\u00EB', u"e", kDiaeresis},
    {u'\u00EC', u"i", kGrave},     {u'\u00ED', u"i", kAcute},   {u'\u00EE', u"i", kCircumflex},
    {u'\u00EF', u"i", kDiaeresis}, {u'\u00F0', u"d", kStroke},  {u'\u00F1', u"n", kTilde},
    {u'\u00F2', u"o", kGrave},     {u'\u00F3', u"o", kAcute},   {u'\u00F4', u"o", kCircumflex},
    {u'\u00F5', u"o", kTilde},     {u'\u00F6', u"o", kDiaeresis}, {u'\u00F8', u"o", kStroke},
    {u'\u00F9', u"u", kGrave},     {u'\u00FA', u"u", kAcute},   {u'\u00FB', u"u", kCircumflex},
    {u'\u00FC', u"u", kDiaeresis}, {u'\u00FD', u"y", kAcute},   {u'\u00FE', u"th", kLigature},
    {u'\u00FF', u"y", kDiaeresis}, {u'\u00DF', u"ss", kNone}, {u'\u0153', u"oe", kLigature},
    {u'\u00AA', u"a", kOrdinal},   {u'\u00BA', u"o", kOrdinal},
};

// One step of the first two levels.
struct Weight {
    std::uint32_t primary;
    Accent accent;
};
// One unit the first two levels pass over: where it stands, and which it is.
struct Passed {
    std::size_t position;
    char16_t unit;
};
struct Key {
    std::vector<Weight> weights;
    std::vector<Passed> passed;
};

char16_t Lower(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7)) return static_cast<char16_t>(c + 0x20);
    if (c == 0x0152) return 0x0153;
    return c;
}

std::uint32_t Primary(Group group, std::uint32_t order) { return (static_cast<std::uint32_t>(group) << 20) | order; }

Key KeyOf(const std::u16string& name) {
    Key key;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = Lower(name[i]);
        if (c == u'\u00AD') continue;  // a soft hyphen weighs nothing at all
        if (c == u'-' || c == u'\'') {
            key.passed.push_back({i, c});
            continue;
        }
        if (c >= u'0' && c <= u'9') {
            key.weights.push_back({Primary(kDigit, c - u'0'), kNone});
        } else if (c == u'\u00B9' || c == u'\u00B2' || c == u'\u00B3') {
            key.weights.push_back({Primary(kDigit, c == u'\u00B9' ? 1u : c - u'\u00B0'), kSuperscript});
        } else if (c >= u'a' && c <= u'z') {
            key.weights.push_back({Primary(kLetter, c - u'a'), kNone});
        } else if (const std::size_t symbol = kSymbols.find(c); symbol != std::u16string_view::npos) {
            key.weights.push_back({Primary(kSymbol, static_cast<std::uint32_t>(symbol)), kNone});
        } else {
            const Letter* letter = nullptr;
            for (const Letter& candidate : kLatin1Letters) {
                if (candidate.unit == c) letter = &candidate;
            }
            if (letter == nullptr) {
                key.weights.push_back({Primary(kOther, c), kNone});
                continue;
            }
            // A letter made of two weighs as both, its mark on the first.
            for (const char16_t* base = letter->base; *base != 0; ++base) {
                key.weights.push_back({Primary(kLetter, *base - u'a'), base == letter->base ? letter->accent : kNone});
            }
        }
    }
    return key;
}

template <class T, class Less>
int CompareSequences(const std::vector<T>& a, const std::vector<T>& b, Less less) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (less(a[i], b[i])) return -1;
        if (less(b[i], a[i])) return 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

int CompareNames(const std::u16string& a, const std::u16string& b) {
    const Key ka = KeyOf(a);
    const Key kb = KeyOf(b);
    if (int c = CompareSequences(ka.weights, kb.weights, [](Weight x, Weight y) { return x.primary < y.primary; })) {
        return c;
    }
    if (int c = CompareSequences(ka.weights, kb.weights, [](Weight x, Weight y) { return x.accent < y.accent; })) {
        return c;
    }
    // A hyphen or apostrophe further right weighs less; at one place, an apostrophe less than a hyphen.
    return CompareSequences(ka.passed, kb.passed, [](Passed x, Passed y) {
        return std::make_tuple(-static_cast<std::ptrdiff_t>(x.position), x.unit) <
               std::make_tuple(-static_cast<std::ptrdiff_t>(y.position), y.unit);
    });
}

int CompareNumbersAsNumbers(const std::u16string& a, const std::u16string& b) {
    const auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    // The end of the run of digits at i, and where its number starts once its leading zeros go.
    const auto run = [&](const std::u16string& s, std::size_t i) {
        std::size_t end = i;
        while (end < s.size() && digit(s[end])) ++end;
        std::size_t start = i;
        while (start + 1 < end && s[start] == u'0') ++start;
        return std::pair{start, end};
    };
    std::size_t i = 0;
    std::size_t j = 0;
    for (; i < a.size(); ++i, ++j) {
        if (j == b.size()) return 1;
        if (digit(a[i]) && digit(b[j])) {
            const auto [a_start, a_end] = run(a, i);
            const auto [b_start, b_end] = run(b, j);
            const std::u16string_view a_number(a.data() + a_start, a_end - a_start);
            const std::u16string_view b_number(b.data() + b_start, b_end - b_start);
            if (a_number.size() != b_number.size()) return a_number.size() < b_number.size() ? -1 : 1;
            if (const int c = a_number.compare(b_number)) return c < 0 ? -1 : 1;
            i = a_end - 1;
            j = b_end - 1;
            continue;
        }
        if (digit(a[i])) return -1;
        if (digit(b[j])) return 1;
        if (const int c = CompareNames(std::u16string(1, a[i]), std::u16string(1, b[j]))) return c < 0 ? -1 : 1;
    }
    return j < b.size() ? -1 : 0;
}

}  // namespace selvane::memory
