// The control's public properties, in the order they are saved and loaded. The type library
// (control/com/selvane.idl) declares the same names and identifiers, and a Windows test checks
// that the two agree. Every property notifies the host when it is assigned.
//
// The list is an X-macro, X(Name, dispatch identifier, Color|Truth|Text|Number, default), so that
// the COM class can declare and define its get_ and put_ methods from it. The logic provides
// Name() and SetName(), and says in selvane_persistence.cpp what a new instance, loading and
// saving mean for it, in switches over Member that don't compile while one is missing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "host/design.h"
#include "host/property.h"
#include "host/types.h"

#define SELVANE_PROPERTIES(X)                                   \
    X(BackColor, 0x6803000A, Color, kButtonFaceColor)           \
    X(Label1Color, 0x68030008, Color, 0)                        \
    X(Label2Color, 0x68030007, Color, 0)                        \
    X(Label1Bold, 0x68030006, Truth, kFalse)                    \
    X(Label2Bold, 0x68030005, Truth, kFalse)                    \
    X(Path, 0x68030009, Text, u"C:\\")                          \
    X(DirOnly, 0x68030004, Truth, kFalse)                       \
    X(Server, 0x68030003, Truth, kFalse)                        \
    X(Tips, 0x68030002, Truth, kTrue)                           \
    X(FileType, 0x68030001, Text, design::kPattern)             \
    /* Last: the listings that loading Path and FileType cause still use the flag's value   \
       from before the load; the loaded value counts from the next listing. */              \
    X(ShowHidden, 0x68030000, Truth, kFalse)

// The properties _Selvane2 adds, saved after those of _Selvane and only when they differ from
// their defaults: a control that leaves them alone saves exactly what one without them saved.
#define SELVANE_PROPERTIES_2(X)                                 \
    X(MultiSelect, 0x68040000, Number, 0)                       \
    X(SortOrder, 0x68040001, Number, 0)

// Both, in saving order.
#define SELVANE_ALL_PROPERTIES(X) SELVANE_PROPERTIES(X) SELVANE_PROPERTIES_2(X)

namespace selvane::members {

using host::Property;
using host::ValueKind;

constexpr Property ColorProperty(std::u16string_view name, std::int32_t id, Color value) {
    return {name, id, ValueKind::kColor, static_cast<std::int32_t>(value), {}};
}
constexpr Property TruthProperty(std::u16string_view name, std::int32_t id, TruthValue value) {
    return {name, id, ValueKind::kTruth, value, {}};
}
constexpr Property TextProperty(std::u16string_view name, std::int32_t id, std::u16string_view value) {
    return {name, id, ValueKind::kText, 0, value};
}
constexpr Property NumberProperty(std::u16string_view name, std::int32_t id, std::int32_t value) {
    return {name, id, ValueKind::kNumber, value, {}};
}

#define SELVANE_PROPERTY_CONSTANT(name, id, kind, value) \
    inline constexpr Property k##name = kind##Property(u"" #name, id, value);
SELVANE_ALL_PROPERTIES(SELVANE_PROPERTY_CONSTANT)
#undef SELVANE_PROPERTY_CONSTANT

#define SELVANE_PROPERTY_ENTRY(name, id, kind, value) k##name,
// The properties of _Selvane as published, in saving order: saved every time.
inline constexpr Property kProperties[] = {SELVANE_PROPERTIES(SELVANE_PROPERTY_ENTRY)};
// Every property, in saving order.
inline constexpr Property kAllProperties[] = {SELVANE_ALL_PROPERTIES(SELVANE_PROPERTY_ENTRY)};
#undef SELVANE_PROPERTY_ENTRY

// Every property by name, in saving order. The logic's switches over it name every property
// and have no default, so that one left out is a compile error (-Wswitch-enum).
#define SELVANE_PROPERTY_ENUMERATOR(name, id, kind, value) name,
enum class Member { SELVANE_ALL_PROPERTIES(SELVANE_PROPERTY_ENUMERATOR) };
#undef SELVANE_PROPERTY_ENUMERATOR

// Every member, in saving order, and the property each one is.
#define SELVANE_PROPERTY_MEMBER(name, id, kind, value) Member::name,
inline constexpr Member kMembers[] = {SELVANE_ALL_PROPERTIES(SELVANE_PROPERTY_MEMBER)};
#undef SELVANE_PROPERTY_MEMBER
constexpr const Property& PropertyOf(Member member) { return kAllProperties[static_cast<std::size_t>(member)]; }
// Whether the property is saved at its default too: those of _Selvane are.
constexpr bool SavedAtDefault(Member member) { return static_cast<std::size_t>(member) < std::size(kProperties); }

// The property with that dispatch identifier, or nullptr.
constexpr const Property* Find(std::int32_t dispatch_id) {
    for (const Property& property : kAllProperties) {
        if (property.dispatch_id == dispatch_id) return &property;
    }
    return nullptr;
}

// A property's value as saved settings hold it: number for colours, truth values and numbers,
// text for text.
struct Value {
    std::int32_t number = 0;
    std::u16string text;
};

// The value a new control starts with.
constexpr Color DefaultColor(const Property& property) { return static_cast<Color>(property.default_number); }
constexpr TruthValue DefaultTruth(const Property& property) { return static_cast<TruthValue>(property.default_number); }

}  // namespace selvane::members
