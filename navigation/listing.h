// The pieces of a file listing that depend on nothing but their inputs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace selvane::listing {

// A pattern names files of the listed directory only: one holding "\", "/" or ":" would reach
// into another directory (or drive), so it lists nothing.
bool IsPlainPattern(const std::u16string& pattern);

// The patterns a pattern text asks for, each listed in turn: a text without ";" is one pattern,
// passed on exactly as typed. A text with ";" is several, each without the blanks (spaces,
// tabs) around it; empty parts and repeats are dropped, and a text of nothing but blanks and
// ";" is the empty pattern, which lists every file.
std::vector<std::u16string> PatternParts(const std::u16string& text);

// Pixels the list scrolls sideways for its widest entry: a 25-pixel margin, where it fits
// below the list's limit of 32,767.
int HorizontalExtent(int widest_pixels);

// "" for no files, "1 file", "12 files".
std::u16string FileCountCaption(std::size_t count);

}  // namespace selvane::listing
