// Saving and loading the properties, always in the order of the member table.
#include <string>
#include <utility>

#include "host/attempt.h"
#include "control/members.h"
#include "control/selvane.h"

namespace selvane {

using members::Value;

namespace {

Value Read(host::PropertyBag& bag, const host::Property& property) {
    const std::u16string key(property.name);
    switch (property.kind) {
    case host::ValueKind::kColor: return {bag.ReadInt32(key, property.default_number), {}};
    case host::ValueKind::kTruth: return {bag.ReadBool(key, members::DefaultTruth(property)), {}};
    case host::ValueKind::kText: return {0, bag.ReadString(key, std::u16string(property.default_text))};
    }
    return {};
}

void Write(host::PropertyBag& bag, const host::Property& property, const Value& value) {
    const std::u16string key(property.name);
    switch (property.kind) {
    case host::ValueKind::kColor: bag.WriteInt32(key, value.number, property.default_number); break;
    case host::ValueKind::kTruth:
        bag.WriteBool(key, static_cast<TruthValue>(value.number), members::DefaultTruth(property));
        break;
    case host::ValueKind::kText: bag.WriteString(key, value.text, std::u16string(property.default_text)); break;
    }
}

Value Number(std::int32_t number) { return {number, {}}; }
Value Text(std::u16string text) { return {0, std::move(text)}; }

}  // namespace

// Values go straight onto the children: no change notifications, no repaint, and the path
// does not pass through the Path property's mapping. A setting that can't be read or applied
// is reported to the host and skipped, so one stale value (a folder since deleted) costs only
// itself and the others still load; the control keeps what it had for the skipped one.
void Selvane::ReadProperties(host::PropertyBag& bag) {
    for (const host::Property& property : members::kProperties) {
        attempt([&] { Load(property, Read(bag, property)); },
                [&](const RuntimeError& error) { site_.ReportLoadError(std::u16string(property.name), error); });
    }
}

// A failure ends the save and reaches the host; the keys after it are not written.
void Selvane::WriteProperties(host::PropertyBag& bag) {
    for (const host::Property& property : members::kProperties) Write(bag, property, Saved(property));
}

// What loading a saved value does to each property.
void Selvane::Load(const host::Property& property, const Value& value) {
    const auto color = static_cast<Color>(value.number);
    const auto truth = static_cast<TruthValue>(value.number);
    switch (property.dispatch_id) {
    case members::kBackColor.dispatch_id: surface_.SetBackColor(color); break;
    case members::kLabel1Color.dispatch_id: surface_.Label1().SetForeColor(color); break;
    case members::kLabel2Color.dispatch_id: surface_.Label2().SetForeColor(color); break;
    case members::kLabel1Bold.dispatch_id: surface_.Label1().SetFontBold(truth); break;
    case members::kLabel2Bold.dispatch_id: surface_.Label2().SetFontBold(truth); break;
    case members::kPath.dispatch_id: LoadPath(value.text); break;
    case members::kDirOnly.dispatch_id: m_DirOnly = truth; break;
    case members::kServer.dispatch_id: m_Server = truth; break;
    // Only the flag: the tool tips stay as they are until Tips is next assigned.
    case members::kTips.dispatch_id: m_Tips = truth; break;
    case members::kFileType.dispatch_id: surface_.Text1().SetText(value.text); break;
    case members::kShowHidden.dispatch_id: m_ShowHidden = truth; break;
    }
}

// The value each property saves.
Value Selvane::Saved(const host::Property& property) {
    switch (property.dispatch_id) {
    case members::kBackColor.dispatch_id: return Number(static_cast<std::int32_t>(surface_.BackColor()));
    case members::kLabel1Color.dispatch_id: return Number(static_cast<std::int32_t>(surface_.Label1().ForeColor()));
    case members::kLabel2Color.dispatch_id: return Number(static_cast<std::int32_t>(surface_.Label2().ForeColor()));
    case members::kLabel1Bold.dispatch_id: return Number(surface_.Label1().FontBold());
    case members::kLabel2Bold.dispatch_id: return Number(surface_.Label2().FontBold());
    case members::kPath.dispatch_id: return Text(surface_.Dir1().Path());
    case members::kDirOnly.dispatch_id: return Number(m_DirOnly);
    case members::kServer.dispatch_id: return Number(m_Server);
    case members::kTips.dispatch_id: return Number(m_Tips);
    case members::kFileType.dispatch_id: return Text(surface_.Text1().Text());
    case members::kShowHidden.dispatch_id: return Number(m_ShowHidden);
    }
    return {};
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


}  // namespace selvane
