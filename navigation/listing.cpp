// The pieces of a file listing that depend on nothing but their inputs.
#include "navigation/listing.h"

#include <algorithm>

#include "host/design.h"

namespace selvane::listing {

std::vector<std::u16string> PatternParts(const std::u16string& text) {
    if (text.find_first_of(u"\\/:") != std::u16string::npos) return {};
    if (text.find(u';') == std::u16string::npos) return {text};
    constexpr char16_t kBlanks[] = u" \t";
    std::vector<std::u16string> parts;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find(u';', start);
        if (end == std::u16string::npos) end = text.size();
        const std::size_t first = text.find_first_not_of(kBlanks, start);
        if (first < end) {
            const std::size_t last = text.find_last_not_of(kBlanks, end - 1);
            std::u16string part = text.substr(first, last + 1 - first);
            if (std::find(parts.begin(), parts.end(), part) == parts.end()) parts.push_back(std::move(part));
        }
        start = end + 1;
    }
    if (parts.empty()) parts.emplace_back();
    return parts;
}

int HorizontalExtent(int widest_pixels) {
    constexpr int kMargin = 25;
    constexpr int kLimit = 32767;
    if (widest_pixels > kLimit - kMargin) return std::min(widest_pixels, kLimit);
    return widest_pixels + kMargin;
}

std::u16string FileCountCaption(std::size_t count) {
    if (count == 0) return u"";
    if (count == 1) return u"1 file";
    std::u16string digits;
    for (; count > 0; count /= 10) digits.insert(digits.begin(), static_cast<char16_t>(u'0' + count % 10));
    return digits + u" files";
}

void ListedNames::Add(const std::u16string& name) {
    if (!several_ || listed_.insert(name).second) names_.push_back(name);
}

std::u16string FileListTip(std::size_t count) { return count > 0 ? std::u16string(design::kFileTip) : u""; }

}  // namespace selvane::listing
