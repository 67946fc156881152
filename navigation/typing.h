// Finding an entry of a list by typing its name: characters typed in a quick run make one text,
// and the list goes to the first entry from the current one on that starts with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace selvane::typing {

// What has been typed into one list, and when.
class TypedText {
public:
    // A character typed at `now` (milliseconds, any clock that only goes forward), `pause` at
    // most after the last one, extends the text; a later one starts a new text.
    void Add(char16_t typed, std::uint64_t now, std::uint64_t pause);

    // What to look for: the text, or its letter alone while the text is one letter typed again
    // and again, which steps through the entries with that letter.
    std::u16string Sought() const;
    // Whether the search starts past the current entry: for a new text and for a repeated
    // letter. A text that grew may stay on the current entry, which may still start with it.
    bool FromNext() const;

private:
    std::u16string text_;
    std::uint64_t last_ = 0;
};

// The entry to go to among `count` entries, looking from `current` (or from the next one), on
// to the end and round from the first: the first whose text starts with `sought`, as
// `starts_with(index, sought)` tells (case as the list compares it). Nothing when none does.
// `current` -1 is none: the search starts at the first entry.
std::optional<std::size_t> Find(std::size_t count, int current, bool from_next, const std::u16string& sought,
                                const std::function<bool(std::size_t, const std::u16string&)>& starts_with);

}  // namespace selvane::typing
