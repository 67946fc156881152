// The host's store of saved settings.
#pragma once

#include <cstdint>
#include <string>

#include "host/types.h"

namespace selvane::host {

// A read returns the stored value converted to the asked type, or the default when the key is
// absent; a value that can't be converted fails (type mismatch, overflow). A write may leave
// out a value equal to its default, since reading supplies the default.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;

    virtual std::int32_t ReadInt32(const std::u16string& key, std::int32_t default_value) = 0;
    virtual TruthValue ReadBool(const std::u16string& key, TruthValue default_value) = 0;
    virtual std::u16string ReadString(const std::u16string& key, const std::u16string& default_value) = 0;

    virtual void WriteInt32(const std::u16string& key, std::int32_t value, std::int32_t default_value) = 0;
    virtual void WriteBool(const std::u16string& key, TruthValue value, TruthValue default_value) = 0;
    virtual void WriteString(const std::u16string& key, const std::u16string& value,
                             const std::u16string& default_value) = 0;
};

}  // namespace selvane::host
