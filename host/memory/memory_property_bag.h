// The host's store of saved settings, in memory. Values keep the type they were written with
// and are converted on reading, as the host's ordinary value conversion does.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "host/property_bag.h"

namespace selvane::memory {

class MemoryPropertyBag : public host::PropertyBag {
public:
    using Value = std::variant<std::int32_t, double, bool, std::u16string>;

    // Keys compare without regard to case.
    void Set(const std::u16string& key, Value value);
    bool Has(const std::u16string& key) const;
    // Throws std::out_of_range for a missing key.
    const Value& Get(const std::u16string& key) const;
    std::size_t size() const { return values_.size(); }

    // Int32: a double or a numeric string is rounded half to even; out of range fails with 6,
    // text that isn't a number with 13; True is -1.
    std::int32_t ReadInt32(const std::u16string& key, std::int32_t default_value) override;
    // Bool: any non-zero number is True; text is "True", "False" or a number, otherwise 13.
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
