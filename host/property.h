// How the control names one of its public properties to the world.
#pragma once

#include <cstdint>
#include <string_view>

namespace selvane::host {

// The kind of value a property holds: a colour (OLE_COLOR), a truth value, text, or a number
// that picks one of a few choices.
enum class ValueKind { kColor, kTruth, kText, kNumber };

// One public property: the name that scripts use and that saved settings keep it under, its
// dispatch identifier in the type library, its kind, and the value a new control starts with
// (default_number for colours, truth values and numbers, default_text for text).
struct Property {
    std::u16string_view name;
    std::int32_t dispatch_id;
    ValueKind kind;
    std::int32_t default_number;
    std::u16string_view default_text;
};

}  // namespace selvane::host
