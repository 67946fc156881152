// The order in which a sorted list box, and the directory list, show names: the system's word
// sort with case ignored, for the characters file names are mostly made of.
#pragma once

#include <string>

namespace selvane::memory {

// Negative, zero or positive as a comes before, together with or after b. Levels, as the
// system weighs them: symbols before digits before letters, an accented letter as its base
// letter ("é" as "e"; "ß" is "ss"); then accents, compared from the left; then hyphens and
// apostrophes, which the first two levels pass over. Case never counts. Covers ASCII and
// Latin-1; any other unit sorts after the letters, by its code.
int CompareNames(const std::u16string& a, const std::u16string& b);

// Negative, zero or positive as the system compares names by numbers as numbers (Explorer's
// comparison): a run of ASCII digits against another by the number it is, so "01" equals "1";
// a digit before any other unit; any other unit against the other name's by CompareNames,
// one unit at a time; a name that ends first comes first. Numbers of any length compare by
// value.
int CompareNumbersAsNumbers(const std::u16string& a, const std::u16string& b);

}  // namespace selvane::memory
