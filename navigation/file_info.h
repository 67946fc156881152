// The chosen file's details as the file information label shows them.
#pragma once

#include <cstdint>
#include <string>

#include "host/locale.h"
#include "host/types.h"

namespace selvane::file_info {

// Digits grouped in threes with the separator, at least one digit: 1234567 gives "1,234,567".
std::u16string GroupDigits(std::uint64_t value, const std::u16string& separator);

// The short date and the long time, or the date alone at exactly midnight; two blanks; the
// length in bytes with grouped digits.
std::u16string Describe(const LocalTime& modified, std::uint64_t length, const host::Locale& locale);

}  // namespace selvane::file_info
