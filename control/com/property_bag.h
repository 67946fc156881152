// A container's IPropertyBag as the store the control's logic saves into and loads from.
#pragma once

#include <ocidl.h>

#include "host/property_bag.h"

namespace selvane::com {

// Values are written as VT_I4, VT_BOOL and VT_BSTR. On reading, a key the bag doesn't hold
// gives the default, and a stored value is converted as automation converts it: one that
// can't be fails with 13 (type mismatch) or 6 (overflow).
class ComPropertyBag final : public host::PropertyBag {
public:
    ComPropertyBag(IPropertyBag& bag, IErrorLog* log) : bag_(bag), log_(log) {}

    std::int32_t ReadInt32(const std::u16string& key, std::int32_t default_value) override;
    TruthValue ReadBool(const std::u16string& key, TruthValue default_value) override;
    std::u16string ReadString(const std::u16string& key, const std::u16string& default_value) override;

    void WriteInt32(const std::u16string& key, std::int32_t value, std::int32_t default_value) override;
    void WriteBool(const std::u16string& key, TruthValue value, TruthValue default_value) override;
    void WriteString(const std::u16string& key, const std::u16string& value,
                     const std::u16string& default_value) override;

private:
    // The stored value converted to type; false when the bag doesn't hold the key.
    bool Read(const std::u16string& key, VARTYPE type, VARIANT& value);
    void Write(const std::u16string& key, VARIANT& value);

    IPropertyBag& bag_;
    IErrorLog* log_;
};

}  // namespace selvane::com
