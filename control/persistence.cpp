// Saving and loading the eleven settings, always in the same order.
#include <string>

#include "control/attempt.h"
#include "control/selvane.h"
#include "control/settings.h"

namespace selvane {

namespace keys {
const std::u16string kBackColor = u"BackColor";
const std::u16string kLabel1Color = u"Label1Color";
const std::u16string kLabel2Color = u"Label2Color";
const std::u16string kLabel1Bold = u"Label1Bold";
const std::u16string kLabel2Bold = u"Label2Bold";
const std::u16string kPath = u"Path";
const std::u16string kDirOnly = u"DirOnly";
const std::u16string kServer = u"Server";
const std::u16string kTips = u"Tips";
const std::u16string kFileType = u"FileType";
const std::u16string kShowHidden = u"ShowHidden";
}  // namespace keys

// Values go straight onto the children: no change notifications, no repaint, and the path
// does not pass through the Path property's mapping. A setting that can't be read or applied
// is reported to the host and skipped, so one stale value (a folder since deleted) costs only
// itself and the others still load; the control keeps what it had for the skipped one.
void Selvane::ReadProperties(host::PropertyBag& bag) {
    auto read = [&](const std::u16string& key, auto&& apply) {
        attempt([&] { apply(key); }, [&](const RuntimeError& error) { site_.ReportLoadError(key, error); });
    };
    const std::u16string default_path(settings::kDefaultPath);
    const std::u16string default_file_type(settings::kDefaultFileType);

    read(keys::kBackColor, [&](auto& key) {
        surface_.SetBackColor(static_cast<Color>(bag.ReadInt32(key, settings::kDefaultBackColor)));
    });
    read(keys::kLabel1Color, [&](auto& key) {
        surface_.Label1().SetForeColor(static_cast<Color>(bag.ReadInt32(key, settings::kDefaultLabelColor)));
    });
    read(keys::kLabel2Color, [&](auto& key) {
        surface_.Label2().SetForeColor(static_cast<Color>(bag.ReadInt32(key, settings::kDefaultLabelColor)));
    });
    read(keys::kLabel1Bold,
         [&](auto& key) { surface_.Label1().SetFontBold(bag.ReadBool(key, settings::kDefaultLabelBold)); });
    read(keys::kLabel2Bold,
         [&](auto& key) { surface_.Label2().SetFontBold(bag.ReadBool(key, settings::kDefaultLabelBold)); });
    read(keys::kPath, [&](auto& key) { LoadPath(bag.ReadString(key, default_path)); });
    read(keys::kDirOnly, [&](auto& key) { m_DirOnly = bag.ReadBool(key, settings::kDefaultDirOnly); });
    read(keys::kServer, [&](auto& key) { m_Server = bag.ReadBool(key, settings::kDefaultServer); });
    // Only the flag: the tool tips stay as they are until Tips is next assigned.
    read(keys::kTips, [&](auto& key) { m_Tips = bag.ReadBool(key, settings::kDefaultTips); });
    read(keys::kFileType, [&](auto& key) { surface_.Text1().SetText(bag.ReadString(key, default_file_type)); });
    // Read last: the listings that loading causes use the flag's starting value.
    read(keys::kShowHidden, [&](auto& key) { m_ShowHidden = bag.ReadBool(key, settings::kDefaultShowHidden); });
}

// Moves the drive list to the saved path's drive first, so that both lists agree, then the
// directory list to the path. When the directory can't be reached, both lists go back to
// where they were and the failure travels on.
void Selvane::LoadPath(const std::u16string& path) {
    const bool names_drive = path.size() >= 2 && path[1] == u':';
    if (!names_drive) {
        surface_.Dir1().SetPath(path);
        return;
    }
    const std::u16string old_path = surface_.Dir1().Path();
    const std::u16string old_drive = surface_.Drive1().Drive();
    surface_.Drive1().SetDrive(path.substr(0, 1));
    try {
        surface_.Dir1().SetPath(path);
    } catch (...) {
        attempt([&] { surface_.Drive1().SetDrive(old_drive.substr(0, 1)); });
        attempt([&] { surface_.Dir1().SetPath(old_path); });
        throw;
    }
}

// A failure ends the save and reaches the host; the keys after it are not written.
void Selvane::WriteProperties(host::PropertyBag& bag) {
    bag.WriteInt32(keys::kBackColor, static_cast<std::int32_t>(surface_.BackColor()), settings::kDefaultBackColor);
    bag.WriteInt32(keys::kLabel1Color, static_cast<std::int32_t>(surface_.Label1().ForeColor()),
                   settings::kDefaultLabelColor);
    bag.WriteInt32(keys::kLabel2Color, static_cast<std::int32_t>(surface_.Label2().ForeColor()),
                   settings::kDefaultLabelColor);
    bag.WriteBool(keys::kLabel1Bold, surface_.Label1().FontBold(), settings::kDefaultLabelBold);
    bag.WriteBool(keys::kLabel2Bold, surface_.Label2().FontBold(), settings::kDefaultLabelBold);
    bag.WriteString(keys::kPath, surface_.Dir1().Path(), std::u16string(settings::kDefaultPath));
    bag.WriteBool(keys::kDirOnly, m_DirOnly, settings::kDefaultDirOnly);
    bag.WriteBool(keys::kServer, m_Server, settings::kDefaultServer);
    bag.WriteBool(keys::kTips, m_Tips, settings::kDefaultTips);
    bag.WriteString(keys::kFileType, surface_.Text1().Text(), std::u16string(settings::kDefaultFileType));
    bag.WriteBool(keys::kShowHidden, m_ShowHidden, settings::kDefaultShowHidden);
}

}  // namespace selvane
