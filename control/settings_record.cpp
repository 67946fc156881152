// The settings record: its property bag side and its bytes (docs/settings-stream.md).
#include "control/settings_record.h"

#include <algorithm>
#include <array>
#include <utility>

#include "host/error.h"
#include "host/stored_value.h"
#include "paths/path_text.h"

namespace selvane {
namespace {

using Kind = SettingsFormatError::Kind;

constexpr std::uint8_t kMagic[4] = {'S', 'L', 'V', 'N'};
constexpr std::size_t kCountSize = 2;

[[noreturn]] void Corrupt(const char* reason) { throw SettingsFormatError(Kind::kCorrupt, reason); }

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void Put16(std::vector<std::uint8_t>& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutUnits(std::vector<std::uint8_t>& out, const std::u16string& text) {
    for (char16_t unit : text) Put16(out, unit);
}

bool SameKey(const std::u16string& a, const std::u16string& b) { return paths::SameFoldingAscii(a, b); }

// Walks the payload's entries. The payload's length already agreed with the data, so an entry
// that runs past its end means a damaged record, not a short read.
class PayloadReader {
public:
    PayloadReader(const std::uint8_t* data, std::size_t size) : data_(data), left_(size) {}

    std::uint8_t U8() { return *Take(1); }
    std::uint16_t U16() { return Get16(Take(2)); }
    std::uint32_t U32() { return Get32(Take(4)); }

    std::u16string Units(std::size_t count) {
        // Compared before multiplying, so that a huge count can't wrap around.
        if (count > left_ / 2) Corrupt("a key or string runs past the end of the payload");
        const std::uint8_t* bytes = Take(count * 2);
        std::u16string text(count, u'\0');
        for (std::size_t i = 0; i < count; ++i) text[i] = static_cast<char16_t>(Get16(bytes + 2 * i));
        return text;
    }

private:
    const std::uint8_t* Take(std::size_t count) {
        if (count > left_) Corrupt("an entry runs past the end of the payload");
        const std::uint8_t* bytes = data_;
        data_ += count;
        left_ -= count;
        return bytes;
    }

    const std::uint8_t* data_;
    std::size_t left_;
};

}  // namespace

std::uint32_t SettingsChecksum(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::size_t SettingsRecord::EntrySize(const Entry& entry) {
    std::size_t value_size = 0;
    switch (entry.type) {
    case SettingsValueType::kInt32: value_size = 4; break;
    case SettingsValueType::kTruth: value_size = 2; break;
    case SettingsValueType::kString: value_size = 4 + 2 * entry.text.size(); break;
    }
    return 2 + 2 * entry.key.size() + 1 + value_size;
}

std::vector<std::uint8_t> SettingsRecord::Encode() const {
    std::size_t payload_size = kCountSize;
    for (const Entry& entry : entries_) payload_size += EntrySize(entry);

    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    out.reserve(kHeaderSize + payload_size + kChecksumSize);
    Put16(out, kMajorVersion);
    Put16(out, kMinorVersion);
    Put32(out, static_cast<std::uint32_t>(payload_size));
    Put16(out, entries_.size());
    for (const Entry& entry : entries_) {
        Put16(out, entry.key.size());
        PutUnits(out, entry.key);
        out.push_back(static_cast<std::uint8_t>(entry.type));
        switch (entry.type) {
        case SettingsValueType::kInt32: Put32(out, static_cast<std::uint32_t>(entry.number)); break;
        case SettingsValueType::kTruth: Put16(out, static_cast<std::uint16_t>(entry.number)); break;
        case SettingsValueType::kString:
            Put32(out, static_cast<std::uint32_t>(entry.text.size()));
            PutUnits(out, entry.text);
            break;
        }
    }
    Put32(out, SettingsChecksum(out.data() + kHeaderSize, payload_size));
    return out;
}

std::size_t SettingsRecord::EncodedSize(const std::uint8_t* header, std::size_t header_size) {
    const std::size_t magic_seen = std::min(header_size, sizeof kMagic);
    if (!std::equal(header, header + magic_seen, kMagic)) Corrupt("not a settings record: the magic is wrong");
    if (header_size < kHeaderSize) throw SettingsFormatError(Kind::kTruncated, "the record ends inside its header");
    // Past the major version, a later major may have changed everything: check it first.
    const std::uint16_t major = Get16(header + 4);
    if (major > kMajorVersion) throw SettingsFormatError(Kind::kNewerVersion, "written by a later major version");
    if (major == 0) Corrupt("major version 0 was never written");
    const std::uint32_t payload_size = Get32(header + 8);
    if (payload_size > kMaxPayloadSize) Corrupt("the payload length is over the limit");
    return kHeaderSize + payload_size + kChecksumSize;
}

SettingsRecord SettingsRecord::Decode(const std::uint8_t* data, std::size_t size) {
    const std::size_t total = EncodedSize(data, size);
    if (size < total) throw SettingsFormatError(Kind::kTruncated, "the record ends before its checksum");
    const std::uint8_t* payload = data + kHeaderSize;
    const std::size_t payload_size = total - kHeaderSize - kChecksumSize;
    if (SettingsChecksum(payload, payload_size) != Get32(payload + payload_size)) {
        Corrupt("the checksum does not match the payload");
    }

    PayloadReader reader(payload, payload_size);
    const std::size_t count = reader.U16();
    if (count > kMaxEntries) Corrupt("more entries than a record may hold");
    SettingsRecord record;
    record.entries_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t key_length = reader.U16();
        if (key_length == 0 || key_length > kMaxKeyLength) Corrupt("a key length out of range");
        Entry entry{reader.Units(key_length), SettingsValueType::kInt32, 0, {}};
        if (record.Find(entry.key) != nullptr) Corrupt("a key appears twice");
        switch (reader.U8()) {
        case static_cast<std::uint8_t>(SettingsValueType::kInt32):
            entry.number = static_cast<std::int32_t>(reader.U32());
            break;
        case static_cast<std::uint8_t>(SettingsValueType::kTruth):
            entry.type = SettingsValueType::kTruth;
            entry.number = ToTruth(reader.U16() != 0);
            break;
        case static_cast<std::uint8_t>(SettingsValueType::kString):
            entry.type = SettingsValueType::kString;
            entry.text = reader.Units(reader.U32());
            break;
        default: Corrupt("an unknown type tag");
        }
        record.entries_.push_back(std::move(entry));
    }
    // Whatever follows the entries belongs to a later minor version.
    return record;
}

std::vector<std::u16string> SettingsRecord::Keys() const {
    std::vector<std::u16string> keys;
    keys.reserve(entries_.size());
    for (const Entry& entry : entries_) keys.push_back(entry.key);
    return keys;
}

std::optional<SettingsValueType> SettingsRecord::TypeOf(const std::u16string& key) const {
    const Entry* entry = Find(key);
    if (entry == nullptr) return std::nullopt;
    return entry->type;
}

std::size_t SettingsRecord::IndexOf(const std::u16string& key) const {
    auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) { return SameKey(entry.key, key); });
    return static_cast<std::size_t>(found - entries_.begin());
}

const SettingsRecord::Entry* SettingsRecord::Find(const std::u16string& key) const {
    const std::size_t index = IndexOf(key);
    return index == entries_.size() ? nullptr : &entries_[index];
}

// The record's values are typed: the ordinary conversion between int32 and truth values, and
// no text conversion either way.
host::StoredValue SettingsRecord::Stored(const Entry& entry) {
    switch (entry.type) {
    case SettingsValueType::kInt32: break;
    case SettingsValueType::kTruth: return entry.number != 0;
    case SettingsValueType::kString: return entry.text;
    }
    return entry.number;
}

std::int32_t SettingsRecord::ReadInt32(const std::u16string& key, std::int32_t default_value) {
    const Entry* entry = Find(key);
    return entry == nullptr ? default_value : host::StoredInt32(Stored(*entry), host::TextConversion::kNone);
}

TruthValue SettingsRecord::ReadBool(const std::u16string& key, TruthValue default_value) {
    const Entry* entry = Find(key);
    return entry == nullptr ? default_value : host::StoredTruth(Stored(*entry), host::TextConversion::kNone);
}

std::u16string SettingsRecord::ReadString(const std::u16string& key, const std::u16string& default_value) {
    const Entry* entry = Find(key);
    return entry == nullptr ? default_value : host::StoredText(Stored(*entry), host::TextConversion::kNone);
}

// Checked before anything changes, so that a refused write leaves the record as it was and
// Encode can always produce a record that Decode accepts.
void SettingsRecord::Put(Entry entry) {
    if (entry.key.empty() || entry.key.size() > kMaxKeyLength) Raise(errc::kIllegalFunctionCall);
    if (entry.text.size() > kMaxPayloadSize / 2) Raise(errc::kIllegalFunctionCall);
    const std::size_t index = IndexOf(entry.key);
    if (index == entries_.size() && entries_.size() == kMaxEntries) Raise(errc::kIllegalFunctionCall);

    std::size_t payload_size = kCountSize + EntrySize(entry);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (i != index) payload_size += EntrySize(entries_[i]);
    }
    if (payload_size > kMaxPayloadSize) Raise(errc::kIllegalFunctionCall);

    if (index == entries_.size()) {
        entries_.push_back(std::move(entry));
    } else {
        entry.key = std::move(entries_[index].key);  // the first spelling stays
        entries_[index] = std::move(entry);
    }
}

void SettingsRecord::WriteInt32(const std::u16string& key, std::int32_t value, std::int32_t /*default_value*/) {
    Put({key, SettingsValueType::kInt32, value, {}});
}

void SettingsRecord::WriteBool(const std::u16string& key, TruthValue value, TruthValue /*default_value*/) {
    Put({key, SettingsValueType::kTruth, ToTruth(IsTrue(value)), {}});
}

void SettingsRecord::WriteString(const std::u16string& key, const std::u16string& value,
                                 const std::u16string& /*default_value*/) {
    Put({key, SettingsValueType::kString, 0, value});
}

}  // namespace selvane
