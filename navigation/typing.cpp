#include "navigation/typing.h"

#include <algorithm>

namespace selvane::typing {

void TypedText::Add(char16_t typed, std::uint64_t now, std::uint64_t pause) {
    if (text_.empty() || now - last_ > pause) text_.clear();
    text_ += typed;
    last_ = now;
}

namespace {

bool OneLetterAgain(const std::u16string& text) {
    return text.size() > 1 && std::all_of(text.begin(), text.end(), [&](char16_t c) { return c == text[0]; });
}

}  // namespace

std::u16string TypedText::Sought() const { return OneLetterAgain(text_) ? text_.substr(0, 1) : text_; }

bool TypedText::FromNext() const { return text_.size() == 1 || OneLetterAgain(text_); }

std::optional<std::size_t> Find(std::size_t count, int current, bool from_next, const std::u16string& sought,
                                const std::function<bool(std::size_t, const std::u16string&)>& starts_with) {
    if (count == 0 || sought.empty()) return std::nullopt;
    std::size_t start = 0;
    if (current >= 0 && static_cast<std::size_t>(current) < count) {
        start = (static_cast<std::size_t>(current) + (from_next ? 1 : 0)) % count;
    }
    for (std::size_t step = 0; step < count; ++step) {
        const std::size_t index = (start + step) % count;
        if (starts_with(index, sought)) return index;
    }
    return std::nullopt;
}

}  // namespace selvane::typing
