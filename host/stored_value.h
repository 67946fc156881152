// A value as a store of saved settings holds it, and how it reads as a key's type.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "host/types.h"

namespace selvane::host {

// What a store keeps under a key: a 32-bit integer, a floating-point number (a container may
// hold 2.5 where the control wrote 2), a truth value or text.
using StoredValue = std::variant<std::int32_t, double, bool, std::u16string>;

// Whether text takes part in a conversion. The host's ordinary value conversion reads numbers
// and truth values from text and writes them as text; the settings record keeps its values
// typed and converts no text either way.
enum class TextConversion { kOrdinary, kNone };

// The stored value read as a key's type, as automation's value conversion reads it with the
// United States' signs (the COM bag leaves it to that conversion itself; the host contract
// checks that the two agree):
// - int32: a number is rounded half to even, and fails with 6 (overflow) out of range; True
//   is -1; text must be a number, else 13 (type mismatch);
// - truth: any non-zero number is True; text is "True" or "False" (in any case, nothing
//   around them), "#TRUE#", "#FALSE#" or a number, else 13;
// - text: numbers in their shortest decimal form, truth values as the numbers -1 and 0.
// A number in text is decimal, with an exponent, thousands separators, a sign before or after
// it or parentheses around it, a dollar sign and blanks; or a 32-bit pattern in the &H or &O
// form. Text is read up to its first NUL.
// Without text conversion, text read as a number or a truth value, and any other value read as
// text, fail with 13.
std::int32_t StoredInt32(const StoredValue& value, TextConversion text = TextConversion::kOrdinary);
TruthValue StoredTruth(const StoredValue& value, TextConversion text = TextConversion::kOrdinary);
std::u16string StoredText(const StoredValue& value, TextConversion text = TextConversion::kOrdinary);

}  // namespace selvane::host
