// The control's saved settings as one self-contained binary record, the form they take in a
// COM stream (docs/settings-stream.md describes the bytes). A SettingsRecord is the property
// bag the control writes into and reads from; Encode and Decode turn it into bytes and back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "host/property_bag.h"
#include "host/stored_value.h"
#include "host/types.h"

namespace selvane {

// Why a run of bytes is not a record this code can read.
class SettingsFormatError : public std::exception {
public:
    enum class Kind {
        kTruncated,     // the bytes end before the record does
        kCorrupt,       // not a record, or a damaged one: magic, checksum, lengths, tags, limits
        kNewerVersion,  // a later major version, which this code can't read
    };

    // reason is a string literal.
    SettingsFormatError(Kind kind, const char* reason) noexcept : kind_(kind), reason_(reason) {}

    Kind kind() const noexcept { return kind_; }
    const char* what() const noexcept override { return reason_; }

private:
    Kind kind_;
    const char* reason_;
};

// The type a value was written with; the numbers are its tag in the record.
enum class SettingsValueType : std::uint8_t { kInt32 = 1, kTruth = 2, kString = 3 };

// Keeps every value written, defaults included, so a record always holds the full set. Keys
// compare without regard to ASCII case and stay in the order of their first write, spelled as
// first written; writing a key again replaces its value and type in place.
//
// Reads give the stored value, or the default when the key is absent. An int32 read of a truth
// value gives -1 or 0, a truth read of an int32 is True for any non-zero value; strings convert
// to nothing and nothing converts to a string: those reads fail with 13 (type mismatch).
class SettingsRecord final : public host::PropertyBag {
public:
    // "SLVN", u16 major, u16 minor, u32 payload length: enough to know the whole record's size.
    static constexpr std::size_t kHeaderSize = 12;
    static constexpr std::size_t kChecksumSize = 4;
    static constexpr std::uint16_t kMajorVersion = 1;
    static constexpr std::uint16_t kMinorVersion = 0;
    static constexpr std::size_t kMaxPayloadSize = 1024 * 1024;
    static constexpr std::size_t kMaxEntries = 64;
    static constexpr std::size_t kMaxKeyLength = 64;  // UTF-16 units

    // The bytes of the record: header, payload, checksum. Never fails but for memory.
    std::vector<std::uint8_t> Encode() const;

    // Reads the record at the start of data. Bytes after the record are not looked at, since
    // a stream may go on with something else. Throws SettingsFormatError and reads nothing past
    // size, whatever the bytes. Two entries with the same key make the record corrupt: a writer
    // of this format never produces them, so they mean damage rather than an update.
    static SettingsRecord Decode(const std::uint8_t* data, std::size_t size);

    // The whole record's size in bytes, from its first kHeaderSize bytes (more may follow and
    // are ignored). Checks what the header alone can show: fewer bytes than the header is
    // kTruncated unless what there is already differs from the magic; a wrong magic or a payload
    // length over the limit is kCorrupt; a later major version is kNewerVersion.
    static std::size_t EncodedSize(const std::uint8_t* header, std::size_t header_size);

    std::size_t size() const { return entries_.size(); }
    // The keys in the order of their first write.
    std::vector<std::u16string> Keys() const;
    std::optional<SettingsValueType> TypeOf(const std::u16string& key) const;

    std::int32_t ReadInt32(const std::u16string& key, std::int32_t default_value) override;
    TruthValue ReadBool(const std::u16string& key, TruthValue default_value) override;
    std::u16string ReadString(const std::u16string& key, const std::u16string& default_value) override;

    // A write the record could not encode fails with 5 and changes nothing: an empty key or one
    // longer than kMaxKeyLength, a key beyond kMaxEntries, or a payload grown past its limit.
    // True is stored as -1 whatever non-zero value it came as.
    void WriteInt32(const std::u16string& key, std::int32_t value, std::int32_t default_value) override;
    void WriteBool(const std::u16string& key, TruthValue value, TruthValue default_value) override;
    void WriteString(const std::u16string& key, const std::u16string& value,
                     const std::u16string& default_value) override;

private:
    struct Entry {
        std::u16string key;
        SettingsValueType type;
        std::int32_t number;  // an int32, or a truth value as -1 / 0
        std::u16string text;  // a string
    };

    // The entry's value, as the stored value its reads convert.
    static host::StoredValue Stored(const Entry& entry);
    // The entry's bytes in the payload.
    static std::size_t EntrySize(const Entry& entry);
    // The entry's position, or size() when the key is absent.
    std::size_t IndexOf(const std::u16string& key) const;
    const Entry* Find(const std::u16string& key) const;
    void Put(Entry entry);

    std::vector<Entry> entries_;
};

// CRC-32 as in IEEE 802.3 (reflected, polynomial 0xEDB88320): the record's checksum.
std::uint32_t SettingsChecksum(const std::uint8_t* data, std::size_t size);

}  // namespace selvane
