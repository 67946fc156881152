// The host's store of saved settings, in memory. Values keep the type they were written with
// and are converted on reading by the host's ordinary value conversion (host/stored_value.h).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/property_bag.h"
#include "host/stored_value.h"

namespace selvane::memory {

class MemoryPropertyBag : public host::PropertyBag {
public:
    using Value = host::StoredValue;

    // Keys compare without regard to case.
    void Set(const std::u16string& key, Value value);
    bool Has(const std::u16string& key) const;
    // Throws std::out_of_range for a missing key.
    const Value& Get(const std::u16string& key) const;
    std::size_t size() const { return values_.size(); }

    std::int32_t ReadInt32(const std::u16string& key, std::int32_t default_value) override;
    TruthValue ReadBool(const std::u16string& key, TruthValue default_value) override;
    std::u16string ReadString(const std::u16string& key, const std::u16string& default_value) override;

    void WriteInt32(const std::u16string& key, std::int32_t value, std::int32_t default_value) override;
    void WriteBool(const std::u16string& key, TruthValue value, TruthValue default_value) override;
    void WriteString(const std::u16string& key, const std::u16string& value,
                     const std::u16string& default_value) override;

    // Keys in the order they were read and written.
    std::vector<std::u16string> reads;
    std::vector<std::u16string> writes;
    // When false, a write of the default leaves the key out, as a container that saves space does.
    bool keep_defaults = false;

private:
    const Value* Find(const std::u16string& key) const;
    void Write(const std::u16string& key, Value value, bool is_default);

    // Lower-cased key -> the key as written, and its value.
    std::map<std::u16string, std::pair<std::u16string, Value>> values_;
};

}  // namespace selvane::memory
