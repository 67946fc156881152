// selvane-native-fuzz: the settings-record decoder and the control's members, on the in-memory
// host, fed random cases. Run it as `selvane-native-fuzz --target record|members [--seed S]
// [--cases N] [--seconds T]`, or replay one case with `--case K`.
//
// record   bytes from a valid record, damaged at random (the checksum mended half the time, so
//          that the damage reaches the entries): Decode either refuses them with a format
//          error or gives a record that encodes and decodes to itself.
// members  a control in a small world of drives, driven by random host calls, user input,
//          re-entrant event handlers, loads of random settings and resizes, with text at and
//          beyond the system's limits; after each step the file count, the list and the
//          directory must still agree, and only run-time errors may leave a member.
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/selvane.h"
#include "control/settings_record.h"
#include "memory/memory_host.h"
#include "memory/memory_property_bag.h"
#include "navigation/listing.h"
#include "tests/common/property_names.h"
#include "tests/fuzz/campaign.h"
#include "tests/fuzz/record_damage.h"
#include "tests/fuzz/worker_posix.h"

namespace selvane::fuzz {
namespace {

// ---- record ----------------------------------------------------------------------------------

std::u16string RandomKey(Random& random) {
    static const std::vector<std::u16string> keys = [] {
        std::vector<std::u16string> names = testing::AllPropertyNames();
        names.push_back(u"PATH");
        return names;
    }();
    if (!random.OneIn(4)) return random.Pick(keys);
    std::u16string key(static_cast<std::size_t>(random.Below(SettingsRecord::kMaxKeyLength + 3)), u'k');
    for (char16_t& unit : key) unit = static_cast<char16_t>(random.Below(0x10000));
    return key;
}

SettingsRecord RandomRecord(Random& random) {
    SettingsRecord record;
    for (std::uint64_t n = random.Below(16); n > 0; --n) {
        const std::u16string key = RandomKey(random);
        try {
            switch (random.Below(3)) {
            case 0:
                record.WriteInt32(key, static_cast<std::int32_t>(random.Next()), 0);
                break;
            case 1:
                record.WriteBool(key, static_cast<TruthValue>(random.Next()), kFalse);
                break;
            default:
                record.WriteString(key, random.OneIn(4) ? RandomPathText(random) : u"D:\\docs", u"");
                break;
            }
        } catch (const RuntimeError&) {
            // A key the record can't hold is refused; the record stays as it was.
        }
    }
    return record;
}

bool SameRecord(const SettingsRecord& a, const SettingsRecord& b) {
    if (a.Keys() != b.Keys()) return false;
    for (const std::u16string& key : a.Keys()) {
        if (a.TypeOf(key) != b.TypeOf(key)) return false;
        SettingsRecord& x = const_cast<SettingsRecord&>(a);
        SettingsRecord& y = const_cast<SettingsRecord&>(b);
        if (*a.TypeOf(key) == SettingsValueType::kString) {
            if (x.ReadString(key, u"") != y.ReadString(key, u"")) return false;
        } else if (x.ReadInt32(key, 0) != y.ReadInt32(key, 0)) {
            return false;
        }
    }
    return true;
}

void RecordCase(Random& random, std::uint64_t, volatile std::uint64_t& units) {
    std::vector<std::uint8_t> bytes = RandomRecord(random).Encode();
    Damage(random, bytes);
    if (random.OneIn(2)) MendChecksum(bytes);
    units = units + 1;
    SettingsRecord decoded;
    try {
        decoded = SettingsRecord::Decode(bytes.data(), bytes.size());
    } catch (const SettingsFormatError&) {
        return;
    }
    const std::vector<std::uint8_t> again = decoded.Encode();
    const SettingsRecord twice = SettingsRecord::Decode(again.data(), again.size());
    if (!SameRecord(decoded, twice)) Broken("a decoded record does not survive encoding and decoding");
    if (SettingsRecord::EncodedSize(again.data(), again.size()) != again.size()) Broken("the header's size is wrong");
}

// ---- members ---------------------------------------------------------------------------------

// The world of the native tests, with the names a caller is likely to try.
void BuildWorld(memory::MemoryFileSystem& fs) {
    fs.AddLocalDrive(u'c', u"system");
    fs.AddFile(u"c:\\autoexec.bat", 100);
    fs.AddFile(u"c:\\data\\report.txt", 2500);
    fs.AddFile(u"c:\\data\\b.txt", 20);
    fs.AddFile(u"c:\\data\\empty.txt", 0);
    fs.AddFile(u"c:\\data\\.hidden", 5, {}, attr::kHidden);
    fs.AddDirectory(u"c:\\data\\sub");
    fs.AddDirectory(u"c:\\secret", attr::kHidden);
    fs.AddDirectory(u"c:\\tools\\node.js");
    fs.AddDirectory(u"c:\\my.files\\sub");
    fs.AddLocalDrive(u'd', u"FIXTUREDATA");
    fs.AddFile(u"d:\\docs\\a.txt", 1);
    fs.AddFile(u"d:\\docs\\caf\u00e9.txt", 2);
    fs.AddDirectory(u"d:\\docs\\letters\\old");
    fs.AddRemovableDrive(u'a', false);
    fs.AddNetworkDrive(u'x', u"\\\\fs1\\pub");
    fs.AddFile(u"x:\\docs\\report.txt", 70);
    fs.AddNetworkDrive(u'n', u"\\\\fs2\\gone", false);
}

struct World : memory::MemoryHost {
    std::unique_ptr<Selvane> control;

    World() { BuildWorld(fs); }

    void Create() {
        control.reset();
        control = std::make_unique<Selvane>(NewSurface());
        control->Initialize();
    }
};

Color RandomColor(Random& random) {
    static const std::vector<Color> colors = {0, 0xFFFFFF, 0x8000000F, 0x80000018, 0x80000019, 0x800000FF,
                                              0xFFFFFFFF, 0x01000000};
    return random.OneIn(2) ? random.Pick(colors) : static_cast<Color>(random.Next());
}

TruthValue RandomTruth(Random& random) {
    return random.OneIn(2) ? (random.OneIn(2) ? kTrue : kFalse) : static_cast<TruthValue>(random.Next());
}

memory::MemoryPropertyBag::Value RandomValue(Random& random) {
    switch (random.Below(5)) {
    case 0:
        return static_cast<std::int32_t>(random.Next());
    case 1: {
        static const std::vector<double> doubles = {0.5, -1e300, 1e300, 2147483647.5, -2147483648.5, NAN, INFINITY};
        return random.OneIn(2) ? random.Pick(doubles) : static_cast<double>(static_cast<std::int64_t>(random.Next()));
    }
    case 2:
        return random.OneIn(2);
    default:
        return random.OneIn(3) ? std::u16string(u"True") : RandomPathText(random);
    }
}

void RandomBag(Random& random, memory::MemoryPropertyBag& bag) {
    static const std::vector<std::u16string> keys = testing::AllPropertyNames();
    for (const std::u16string& key : keys) {
        if (random.OneIn(3)) bag.Set(key, RandomValue(random));
    }
}

// The control's own account of its children, which every step must leave true: the files label
// counts the file list, or says why an empty one couldn't be listed; and the directory list
// shows a directory that exists.
void CheckInvariants(World& world) {
    memory::MemorySurface& surface = *world.surface;
    const std::u16string caption = surface.Label1().Caption();
    const std::size_t listed = surface.List1().entries().size();
    bool says_why = false;
    for (std::int32_t code = 1; code < 1000 && listed == 0 && !says_why; ++code) says_why = DescribeError(code) == caption;
    if (caption != listing::FileCountCaption(listed) && !says_why) {
        Broken("the files label neither counts the file list nor says why it is empty");
    }
    const std::u16string directory = surface.Dir1().Path();
    try {
        if (world.fs.ResolveDirectory(directory) != directory) Broken("the directory list shows another directory");
    } catch (const RuntimeError&) {
        // Its drive went away under it (a share disconnected): nothing the control could know.
    }
}

// One step a host or user may take; a member may fail with a run-time error and nothing else.
void Step(Random& random, World& world, volatile std::uint64_t& units) {
    Selvane& c = *world.control;
    memory::MemorySurface& surface = *world.surface;
    units = units + 1;
    switch (random.Below(28)) {
    case 0: c.SetPath(RandomPathText(random)); break;
    case 1: c.SetPath(random.Pick(std::vector<std::u16string>{u"c:\\data", u"d:\\docs", u"\\\\fs1\\pub\\docs",
                                                               u"a:\\", u"n:\\", u"c:\\my.files\\sub\\x.txt"}));
        break;
    case 2: c.SetFileType(RandomPathText(random)); break;
    case 3: c.SetFileType(random.Pick(std::vector<std::u16string>{u"*.*", u"*.txt", u"", u"*", u"?.*", u"*."}));
        break;
    case 4: c.FileExists(RandomPathText(random)); break;
    case 5: c.DirExists(RandomPathText(random)); break;
    case 6: c.PathOnly(RandomPathText(random)); break;
    case 7: c.GetPath(); c.FileSelected(); c.Path(); c.FileType(); c.SelectedCount(); c.SelectedFiles(); break;
    case 8: c.SetDirOnly(RandomTruth(random)); break;
    case 9: c.SetServer(RandomTruth(random)); break;
    case 10: c.SetShowHidden(RandomTruth(random)); break;
    case 11: c.SetTips(RandomTruth(random)); break;
    case 12: c.SetBackColor(RandomColor(random)); break;
    case 13: random.OneIn(2) ? c.SetLabel1Color(RandomColor(random)) : c.SetLabel2Color(RandomColor(random)); break;
    case 14: random.OneIn(2) ? c.SetLabel1Bold(RandomTruth(random)) : c.SetLabel2Bold(RandomTruth(random)); break;
    case 15: c.RefreshFiles(); c.Refresh(); break;
    case 16: {
        static const std::vector<float> sizes = {0, 1, 4815, 4470, 9630, 1e6f, -10, 0.001f};
        surface.SetSize(random.Pick(sizes) * (random.OneIn(2) ? 1 : 0.5f), random.Pick(sizes));
        c.Resize();
        break;
    }
    case 17: {
        const int count = static_cast<int>(surface.List1().entries().size());
        if (count > 0) {
            const int index = static_cast<int>(random.Below(static_cast<std::uint64_t>(count)));
            using Keys = memory::MemoryListBox::Keys;
            random.OneIn(3) ? surface.List1().UserDoubleClick(index)
                            : surface.List1().UserClick(index, random.Pick(std::vector<Keys>{Keys::kNone, Keys::kShift, Keys::kCtrl}));
        }
        break;
    }
    case 18: surface.Text1().UserType(RandomPathText(random).substr(0, 8)); break;
    case 19: surface.Text1().UserReplace(RandomPathText(random)); break;
    case 20: surface.Command1().UserPress(); break;
    case 21: surface.Drive1().UserSelect(random.Pick(std::vector<char16_t>{u'c', u'd', u'x'})); break;
    case 22: {
        const auto subdirectories = world.fs.Subdirectories(surface.Dir1().Path());
        if (!subdirectories.empty()) surface.Dir1().UserOpen(random.Pick(subdirectories));
        break;
    }
    case 23: world.fs.SetReady(u'x', random.OneIn(2)); break;
    case 24: {  // saved and loaded into a new control, which must show the same settings
        memory::MemoryPropertyBag bag;
        c.WriteProperties(bag);
        const std::u16string pattern = c.FileType();
        world.Create();
        world.control->ReadProperties(bag);
        if (world.control->FileType() != pattern) Broken("a saved pattern came back different");
        break;
    }
    case 25: c.SetMultiSelect(static_cast<std::int32_t>(random.Below(5)) - 1); break;
    case 26: c.SetSortOrder(static_cast<std::int32_t>(random.Below(4)) - 1); break;
    default: {  // a load of random settings into a new control
        memory::MemoryPropertyBag bag;
        RandomBag(random, bag);
        world.Create();
        world.control->ReadProperties(bag);
        break;
    }
    }
}

void MembersCase(Random& random, std::uint64_t, volatile std::uint64_t& units) {
    World world;
    world.Create();
    world.control->InitProperties();
    // Handlers that call back into the control while it raises its events.
    world.site.on_click = [&] {
        if (random.OneIn(2)) world.control->SetPath(RandomPathText(random));
        else world.control->RefreshFiles();
    };
    world.site.on_dbl_click = [&] { world.control->SetFileType(RandomPathText(random)); };
    for (std::uint64_t n = 0; n < 40; ++n) {
        try {
            Step(random, world, units);
        } catch (const RuntimeError&) {
            // The members that trap nothing hand their failure on, as they should.
        } catch (const std::exception& e) {
            Broken(std::string("a member let through something other than a run-time error: ") + e.what());
        }
        CheckInvariants(world);
    }
}

}  // namespace
}  // namespace selvane::fuzz

int main(int argc, char** argv) {
    using namespace selvane::fuzz;
    const std::vector<Target> targets = {
        {"record", "decodes", RecordCase},
        {"members", "steps", MembersCase},
    };
    Options options;
    const std::string error = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options);
    if (!error.empty()) {
        std::fprintf(stderr, "selvane-native-fuzz: %s\n", error.c_str());
        return 2;
    }
    ForkedWorker worker(targets);
    return RunCampaign(targets, options, argv[0], worker);
}
