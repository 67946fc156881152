#include "tests/fuzz/record_damage.h"

#include <cstddef>
#include <utility>

#include "control/settings_record.h"

namespace selvane::fuzz {
namespace {

// Where the record's lengths lie: the payload's (4 bytes), the entry count's and each key's
// (2 bytes), each string's (4 bytes). Found by walking the record as far as it goes.
std::vector<std::pair<std::size_t, int>> LengthFields(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::pair<std::size_t, int>> fields = {{8, 4}, {12, 2}};
    auto u16 = [&](std::size_t at) { return at + 2 <= bytes.size() ? bytes[at] | bytes[at + 1] << 8 : -1; };
    auto u32 = [&](std::size_t at) -> std::uint64_t {
        if (at + 4 > bytes.size()) return UINT64_MAX;
        return std::uint64_t{bytes[at]} | std::uint64_t{bytes[at + 1]} << 8 | std::uint64_t{bytes[at + 2]} << 16 |
               std::uint64_t{bytes[at + 3]} << 24;
    };
    std::size_t at = 14;
    for (int count = u16(12); count > 0 && at + 2 <= bytes.size(); --count) {
        const int key = u16(at);
        fields.emplace_back(at, 2);
        at += 2 + 2 * static_cast<std::size_t>(key);
        if (at >= bytes.size()) break;
        const std::uint8_t tag = bytes[at++];
        if (tag == 1) at += 4;
        else if (tag == 2) at += 2;
        else if (tag == 3) {
            const std::uint64_t length = u32(at);
            fields.emplace_back(at, 4);
            if (length == UINT64_MAX) break;
            // A huge length wraps a 32-bit size_t; the walk only picks places to damage, so that does no harm.
            at += static_cast<std::size_t>(4 + 2 * length);
        } else break;
    }
    return fields;
}

void Put(std::vector<std::uint8_t>& bytes, std::size_t at, int width, std::uint32_t value) {
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace

void Damage(Random& random, std::vector<std::uint8_t>& bytes) {
    for (std::uint64_t n = 1 + random.Below(4); n > 0; --n) {
        const std::size_t at = bytes.empty() ? 0 : static_cast<std::size_t>(random.Below(bytes.size()));
        const auto offset = static_cast<std::ptrdiff_t>(at);  // the same place, as iterators count
        switch (random.Below(8)) {
        case 0:
            if (!bytes.empty()) bytes[at] ^= static_cast<std::uint8_t>(1u << random.Below(8));
            break;
        case 1:
            if (!bytes.empty()) bytes[at] = static_cast<std::uint8_t>(random.Next());
            break;
        case 2:
            bytes.resize(static_cast<std::size_t>(random.Below(bytes.size() + 1)));
            break;
        case 3:
            for (std::uint64_t k = random.Below(64); k > 0; --k) {
                bytes.push_back(static_cast<std::uint8_t>(random.Next()));
            }
            break;
        case 4:
        case 5: {  // a length made zero, huge or off by a little
            const auto fields = LengthFields(bytes);
            const auto& [where, width] = random.Pick(fields);
            static const std::vector<std::uint32_t> values = {0, 1, 63, 64, 65, 0xFFFF, 0x10000, 0x7FFFFFFF,
                                                              0xFFFFFFFF, 0x100000, 0x100001};
            Put(bytes, where, width, random.OneIn(4) ? static_cast<std::uint32_t>(random.Next()) : random.Pick(values));
            break;
        }
        case 6:  // a run of bytes repeated
            if (!bytes.empty()) {
                const auto length = static_cast<std::ptrdiff_t>(random.Below(bytes.size() - at) + 1);
                const std::vector<std::uint8_t> run(bytes.begin() + offset, bytes.begin() + offset + length);
                for (std::uint64_t k = 1 + random.Below(3); k > 0; --k) {
                    bytes.insert(bytes.begin() + offset, run.begin(), run.end());
                }
            }
            break;
        default:
            if (!bytes.empty()) bytes.erase(bytes.begin() + offset);
            break;
        }
    }
}

void MendChecksum(std::vector<std::uint8_t>& bytes) {
    constexpr std::size_t header = SettingsRecord::kHeaderSize;
    if (bytes.size() < header + SettingsRecord::kChecksumSize) return;
    const std::size_t payload = bytes.size() - header - SettingsRecord::kChecksumSize;
    Put(bytes, 8, 4, static_cast<std::uint32_t>(payload));
    Put(bytes, header + payload, 4, SettingsChecksum(bytes.data() + header, payload));
}

}  // namespace selvane::fuzz
