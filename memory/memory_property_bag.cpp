#include "memory/memory_property_bag.h"

#include <stdexcept>

#include "memory/memory_locale.h"

namespace selvane::memory {

void MemoryPropertyBag::Set(const std::u16string& key, Value value) {
    values_[LowerCase(key)] = {key, std::move(value)};
}

bool MemoryPropertyBag::Has(const std::u16string& key) const { return Find(key) != nullptr; }

const MemoryPropertyBag::Value& MemoryPropertyBag::Get(const std::u16string& key) const {
    const Value* value = Find(key);
    if (value == nullptr) throw std::out_of_range("no such key in the property bag");
    return *value;
}

const MemoryPropertyBag::Value* MemoryPropertyBag::Find(const std::u16string& key) const {
    auto found = values_.find(LowerCase(key));
    return found == values_.end() ? nullptr : &found->second.second;
}

std::int32_t MemoryPropertyBag::ReadInt32(const std::u16string& key, std::int32_t default_value) {
    reads.push_back(key);
    const Value* value = Find(key);
    return value == nullptr ? default_value : host::StoredInt32(*value);
}

TruthValue MemoryPropertyBag::ReadBool(const std::u16string& key, TruthValue default_value) {
    reads.push_back(key);
    const Value* value = Find(key);
    return value == nullptr ? default_value : host::StoredTruth(*value);
}

std::u16string MemoryPropertyBag::ReadString(const std::u16string& key, const std::u16string& default_value) {
    reads.push_back(key);
    const Value* value = Find(key);
    return value == nullptr ? default_value : host::StoredText(*value);
}

void MemoryPropertyBag::Write(const std::u16string& key, Value value, bool is_default) {
    writes.push_back(key);
    if (is_default && !keep_defaults) {
        values_.erase(LowerCase(key));
    } else {
        Set(key, std::move(value));
    }
}

void MemoryPropertyBag::WriteInt32(const std::u16string& key, std::int32_t value, std::int32_t default_value) {
    Write(key, value, value == default_value);
}

void MemoryPropertyBag::WriteBool(const std::u16string& key, TruthValue value, TruthValue default_value) {
    Write(key, IsTrue(value), IsTrue(value) == IsTrue(default_value));
}

void MemoryPropertyBag::WriteString(const std::u16string& key, const std::u16string& value,
                                    const std::u16string& default_value) {
    Write(key, value, value == default_value);
}

}  // namespace selvane::memory
