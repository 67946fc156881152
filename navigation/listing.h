// The pieces of a file listing that depend on nothing but their inputs.
#pragma once

#include <cstddef>
#include <string>

namespace selvane::listing {

// A pattern names files of the listed directory only: one holding "\", "/" or ":" would reach
// into another directory (or drive), so it lists nothing.
bool IsPlainPattern(const std::u16string& pattern);

// Pixels the list scrolls sideways for its widest entry: a 25-pixel margin, where it fits
// below the list's limit of 32,767.
int HorizontalExtent(int widest_pixels);

// "" for no files, "1 file", "12 files".
std::u16string FileCountCaption(std::size_t count);

}  // namespace selvane::listing
