// The pieces of a file listing that depend on nothing but their inputs.
#pragma once

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <string>
#include <unordered_set>
#include <vector>

namespace selvane::listing {

// The patterns a pattern text asks for, each listed in turn: a text without ";" is one pattern,
// passed on exactly as typed. A text with ";" is several, each without the blanks (spaces,
// tabs) around it; empty parts and repeats are dropped, and a text of nothing but blanks and
// ";" is the empty pattern, which lists every file. A pattern names files of the listed
// directory only: a text holding "\", "/" or ":" anywhere would reach into another directory
// (or drive) and gives no pattern at all, as that part alone would list nothing and a listing
// of the other parts would pass for the answer to the text typed.
std::vector<std::u16string> PatternParts(const std::u16string& text);

// Pixels the list scrolls sideways for its widest entry: a 25-pixel margin, where it fits
// below the list's limit of 32,767.
int HorizontalExtent(int widest_pixels);

// "" for no files, "1 file", "12 files".
std::u16string FileCountCaption(std::size_t count);

// The file list's tool tip: its designed one while it lists any file, none for an empty list.
std::u16string FileListTip(std::size_t count);

// The order in which a list shows names by numbers as numbers (Explorer's order): by `numbers`,
// the system's comparison that reads each run of digits as the number it is; names it holds
// equal ("a01b" and "a1b") by `plain`, the list's own order, then by their units, so that the
// order is one whatever order the names came in. Both comparisons answer negative, zero or
// positive. A stable merge sort: a system comparison that isn't quite a strict order can't make
// it read outside the names.
template <class Name, class Compare, class Plain>
std::vector<std::size_t> NumbersAsNumbersOrder(const std::vector<Name>& names, Compare numbers, Plain plain) {
    std::vector<std::size_t> order(names.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (const int by_number = numbers(names[a], names[b])) return by_number < 0;
        if (const int by_text = plain(names[a], names[b])) return by_text < 0;
        return names[a] < names[b];
    });
    return order;
}

// The names in that order, in place.
template <class Name, class Compare, class Plain>
void SortNumbersAsNumbers(std::vector<Name>& names, Compare numbers, Plain plain) {
    std::vector<Name> sorted;
    sorted.reserve(names.size());
    for (std::size_t index : NumbersAsNumbersOrder(names, numbers, plain)) sorted.push_back(std::move(names[index]));
    names.swap(sorted);
}

// A listing's names, gathered pattern after pattern in the order the file system reports them.
// With several patterns a file they share is listed once. The system reports a file under its
// one stored name in every enumeration, so the exact name finds the repeats, and two files
// whose names differ in case only (a case-sensitive folder, a Unix folder under Wine) stay two.
class ListedNames {
public:
    explicit ListedNames(std::size_t patterns) : several_(patterns > 1) {}
    void Add(const std::u16string& name);
    std::vector<std::u16string> Take() { return std::move(names_); }

private:
    bool several_;
    std::vector<std::u16string> names_;
    std::unordered_set<std::u16string> listed_;
};

}  // namespace selvane::listing
