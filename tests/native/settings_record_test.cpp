// The settings record: the control's settings as the bytes of a COM stream, and back.
#include "control/settings_record.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>

#include "control_fixture.h"
#include "tests/common/property_names.h"

namespace selvane::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = SettingsFormatError::Kind;

void Le(Bytes& out, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> 8 * i));
}

Bytes Entry(const std::u16string& key, std::uint8_t tag, const Bytes& value) {
    Bytes out;
    Le(out, static_cast<std::uint32_t>(key.size()), 2);
    for (char16_t unit : key) Le(out, unit, 2);
    out.push_back(tag);
    out.insert(out.end(), value.begin(), value.end());
    return out;
}

// A record whose payload is these bytes one after another, with a checksum that matches.
Bytes Sealed(std::initializer_list<Bytes> payload_pieces, std::uint16_t major = 1, std::uint16_t minor = 0) {
    Bytes payload;
    for (const Bytes& piece : payload_pieces) payload.insert(payload.end(), piece.begin(), piece.end());
    Bytes out = {'S', 'L', 'V', 'N'};
    Le(out, major, 2);
    Le(out, minor, 2);
    Le(out, static_cast<std::uint32_t>(payload.size()), 4);
    out.insert(out.end(), payload.begin(), payload.end());
    Le(out, SettingsChecksum(payload.data(), payload.size()), 4);
    return out;
}

// How decoding the first size bytes fails, if it does. They are copied to a buffer of exactly
// that size, so that reading past them is reading past an allocation.
std::optional<Kind> DecodeFailure(const Bytes& bytes, std::size_t size = SIZE_MAX) {
    const Bytes exact(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(size, bytes.size())));
    try {
        SettingsRecord::Decode(exact.data(), exact.size());
        return std::nullopt;
    } catch (const SettingsFormatError& error) {
        return error.kind();
    }
}

template <class Step>
std::int32_t ErrorOf(Step&& step) {
    try {
        step();
    } catch (const RuntimeError& error) {
        return error.code();
    }
    return 0;
}

// Every type, a non-ASCII string, an empty one and the lowest int32.
Bytes Sample() {
    SettingsRecord record;
    record.WriteInt32(u"BackColor", static_cast<std::int32_t>(0x80000012), 0);
    record.WriteBool(u"Tips", kTrue, kTrue);
    record.WriteString(u"Path", u"c:\\donn\u00E9es\\\u20AC", u"");
    record.WriteString(u"FileType", u"", u"*.*");
    record.WriteInt32(u"Label1Color", INT32_MIN, 0);
    return record.Encode();
}

using SettingsRecordTest = ControlTest;

TEST_F(SettingsRecordTest, AControlsSettingsSurviveEncodingAndDecoding) {
    CreateNew();
    SettingsRecord defaults;
    control->WriteProperties(defaults);
    EXPECT_EQ(defaults.Keys(), PropertyNames())
        << "every key is kept, defaults included";
    std::string tags;
    for (const auto& key : defaults.Keys()) tags += static_cast<char>('0' + static_cast<int>(*defaults.TypeOf(key)));
    EXPECT_EQ(tags, "11122322232");

    control->SetBackColor(0x00336699);
    control->SetLabel2Color(0x80000012);
    control->SetLabel1Bold(kTrue);
    control->SetPath(u"d:\\docs");
    control->SetServer(kTrue);
    control->SetTips(kFalse);
    surface->Text1().UserReplace(u"*.txt");
    control->SetShowHidden(kTrue);
    SettingsRecord saved;
    control->WriteProperties(saved);
    const Bytes bytes = saved.Encode();
    SettingsRecord decoded = SettingsRecord::Decode(bytes.data(), bytes.size());

    Create();
    control->Initialize();
    control->ReadProperties(decoded);
    EXPECT_TRUE(site.load_errors.empty());
    EXPECT_EQ(control->Path(), u"D:\\docs");
    EXPECT_EQ(control->FileType(), u"*.txt");
    SettingsRecord saved_again;
    control->WriteProperties(saved_again);
    EXPECT_EQ(saved_again.Encode(), bytes) << "every value came back";
}

TEST(SettingsRecord, ReadsConvertBetweenNumbersAndTruthButNotStrings) {
    SettingsRecord record;
    record.WriteInt32(u"Color", 255, 0);
    record.WriteInt32(u"Zero", 0, 0);
    record.WriteBool(u"Flag", 1, kFalse);
    record.WriteString(u"Name", u"c:\\x", u"");
    EXPECT_EQ(record.ReadInt32(u"COLOR", 0), 255) << "keys ignore case";
    EXPECT_EQ(record.ReadBool(u"color", kFalse), kTrue);
    EXPECT_EQ(record.ReadBool(u"Zero", kTrue), kFalse);
    EXPECT_EQ(record.ReadInt32(u"flag", 0), -1) << "a true of 1 is stored as -1";
    EXPECT_EQ(record.ReadString(u"NAME", u""), u"c:\\x");
    EXPECT_EQ(record.ReadInt32(u"Absent", 7), 7);
    EXPECT_EQ(record.ReadBool(u"Absent", kTrue), kTrue);
    EXPECT_EQ(record.ReadString(u"Absent", u"d"), u"d");
    EXPECT_EQ(ErrorOf([&] { record.ReadInt32(u"Name", 0); }), errc::kTypeMismatch);
    EXPECT_EQ(ErrorOf([&] { record.ReadBool(u"Name", kFalse); }), errc::kTypeMismatch);
    EXPECT_EQ(ErrorOf([&] { record.ReadString(u"Color", u""); }), errc::kTypeMismatch);
    EXPECT_EQ(ErrorOf([&] { record.ReadString(u"Flag", u""); }), errc::kTypeMismatch);

    record.WriteString(u"FLAG", u"text", u"");
    EXPECT_EQ(record.Keys(), (Names{u"Color", u"Zero", u"Flag", u"Name"})) << "first place and spelling stay";
    EXPECT_EQ(record.ReadString(u"Flag", u""), u"text");

    // What the record couldn't encode is refused at the write, leaving the record unchanged.
    EXPECT_EQ(ErrorOf([&] { record.WriteInt32(u"", 1, 0); }), errc::kIllegalFunctionCall);
    EXPECT_EQ(ErrorOf([&] { record.WriteInt32(std::u16string(65, u'k'), 1, 0); }), errc::kIllegalFunctionCall);
    record.WriteString(u"Big", std::u16string(300000, u'x'), u"");
    EXPECT_EQ(ErrorOf([&] { record.WriteString(u"Name", std::u16string(300000, u'x'), u""); }),
              errc::kIllegalFunctionCall) << "the payload would pass 1 MiB";
    EXPECT_EQ(record.ReadString(u"Name", u""), u"c:\\x");
    record.WriteString(u"Big", u"", u"");
    record.WriteInt32(std::u16string(64, u'k'), 1, 0);
    for (char16_t i = 0; i < 58; ++i) record.WriteBool({u'k', static_cast<char16_t>(0x100 + i)}, kTrue, kFalse);
    EXPECT_EQ(ErrorOf([&] { record.WriteBool(u"OneTooMany", kTrue, kFalse); }), errc::kIllegalFunctionCall);
    record.WriteInt32(u"color", 1, 0);
    EXPECT_EQ(record.size(), SettingsRecord::kMaxEntries) << "a full record still takes new values for its keys";
    const Bytes full = record.Encode();
    EXPECT_EQ(SettingsRecord::Decode(full.data(), full.size()).Encode(), full);
}

TEST(SettingsRecord, WritesTheDocumentedBytesAndReadsThemBack) {
    const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(SettingsChecksum(digits, sizeof digits), 0xCBF43926u) << "the standard CRC-32 check value";
    SettingsRecord tiny;
    tiny.WriteBool(u"Tips", kTrue, kTrue);
    tiny.WriteString(u"Path", u"C:\\", u"C:\\");
    const Bytes bytes = tiny.Encode();
    EXPECT_EQ(bytes, (Bytes{'S', 'L', 'V', 'N', 1, 0, 0, 0, 0x24, 0, 0, 0, 2, 0,                           //
                            4, 0, 'T', 0, 'i', 0, 'p', 0, 's', 0, 2, 0xFF, 0xFF,                          //
                            4, 0, 'P', 0, 'a', 0, 't', 0, 'h', 0, 3, 3, 0, 0, 0, 'C', 0, ':', 0, '\\', 0,  //
                            0xDB, 0xF3, 0x01, 0x76}));
    EXPECT_EQ(SettingsRecord::EncodedSize(bytes.data(), SettingsRecord::kHeaderSize), bytes.size());

    const Bytes sample = Sample();
    for (std::size_t size = 0; size < sample.size(); ++size) {
        EXPECT_EQ(DecodeFailure(sample, size), Kind::kTruncated) << size << " bytes";
    }
    Bytes followed = sample;
    followed.insert(followed.end(), {0xDE, 0xAD});  // what follows the record in the stream is not its concern
    SettingsRecord decoded = SettingsRecord::Decode(followed.data(), followed.size());
    EXPECT_EQ(decoded.ReadString(u"Path", u""), u"c:\\donn\u00E9es\\\u20AC");
    EXPECT_EQ(decoded.ReadInt32(u"Label1Color", 0), INT32_MIN);
    EXPECT_EQ(decoded.Encode(), sample) << "every key, type and value in its place";
}

TEST(SettingsRecord, DamagedOrForeignBytesAreRefused) {
    const Bytes bytes = Sample();
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        for (int value = 0; value < 256; ++value) {
            Bytes changed = bytes;
            changed[at] = static_cast<std::uint8_t>(value);
            if (at == 6 || at == 7 || value == bytes[at]) {
                ASSERT_EQ(DecodeFailure(changed), std::nullopt) << "any minor version reads; byte " << at;
            } else if (at >= SettingsRecord::kHeaderSize) {
                ASSERT_EQ(DecodeFailure(changed), Kind::kCorrupt) << "byte " << at << " set to " << value;
            } else {
                ASSERT_NE(DecodeFailure(changed), std::nullopt) << "byte " << at << " set to " << value;
            }
        }
    }

    const Bytes one = {1, 0}, two = {2, 0}, five = {5, 0, 0, 0}, a_five = Entry(u"A", 1, five);
    Bytes sixty_five = {65, 0};
    for (char16_t i = 0; i < 65; ++i) {
        const Bytes entry = Entry({u'k', static_cast<char16_t>(0x100 + i)}, 2, {0, 0});
        sixty_five.insert(sixty_five.end(), entry.begin(), entry.end());
    }
    const std::vector<Bytes> corrupt = {
        Sealed({}), Sealed({sixty_five}), Sealed({two, a_five}),  // no count, too many, too few entries
        Sealed({one, Entry(u"", 1, five)}), Sealed({one, Entry(std::u16string(65, u'k'), 1, five)}),
        Sealed({one, Entry(u"A", 0, five)}), Sealed({one, Entry(u"A", 4, five)}),
        Sealed({one, Entry(u"A", 1, {5, 0, 0})}), Sealed({one, Entry(u"A", 2, {0})}),  // a byte short
        Sealed({one, Entry(u"A", 3, {3, 0, 0, 0})}),     // a string past the end
        Sealed({one, Entry(u"A", 3, {0, 0, 0, 0x80})}),  // ... far past it
        Sealed({two, a_five, Entry(u"a", 2, {0, 0})}),   // one key twice
        Sealed({one, a_five}, 0),                        // major version 0
        {'P', 'K'},
        {'S', 'L', 'V', 'N', 1, 0, 0, 0, 1, 0, 0x10, 0},  // a payload over 1 MiB, known from the header
    };
    for (std::size_t i = 0; i < corrupt.size(); ++i) EXPECT_EQ(DecodeFailure(corrupt[i]), Kind::kCorrupt) << i;
    const Bytes longest_key = Sealed({one, Entry(std::u16string(64, u'k'), 2, {1, 0})});
    EXPECT_EQ(SettingsRecord::Decode(longest_key.data(), longest_key.size()).ReadInt32(std::u16string(64, u'K'), 0),
              -1) << "a true of 1 reads as -1";

    // Payloads with a good checksum, so that the entries' parser meets every kind of nonsense.
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        Bytes noise(2 + random() % 40);
        for (auto& byte : noise) byte = static_cast<std::uint8_t>(random() % 5);
        const std::optional<Kind> failure = DecodeFailure(Sealed({noise}));
        ASSERT_TRUE(failure == std::nullopt || failure == Kind::kCorrupt) << "round " << round;
    }
}

TEST(SettingsRecord, ALaterMajorVersionIsRefusedALaterMinorIsRead) {
    const Bytes bytes = Sample();
    const Bytes payload(bytes.begin() + 12, bytes.end() - 4);
    EXPECT_EQ(DecodeFailure(Sealed({payload}, 2)), Kind::kNewerVersion);
    EXPECT_EQ(DecodeFailure({'S', 'L', 'V', 'N', 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), Kind::kNewerVersion)
        << "nothing after the major version is judged";
    EXPECT_EQ(DecodeFailure({'S', 'L'}), Kind::kTruncated) << "may yet become a record";

    const Bytes later_minor = Sealed({payload, {9, 9, 9, 3, 0}}, 1, 7);
    EXPECT_EQ(SettingsRecord::Decode(later_minor.data(), later_minor.size()).Encode(), bytes)
        << "read whole, and saved again in our own version without what we don't know";
}

}  // namespace
}  // namespace selvane::testing
