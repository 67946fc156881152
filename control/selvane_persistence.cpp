// A new instance's properties, and saving and loading them, always in the order of the member
// table.
#include <string>
#include <utility>

#include "control/members.h"
#include "control/selvane.h"
#include "host/attempt.h"
#include "paths/path_text.h"

namespace selvane {

using members::Member;
using members::Value;

namespace {

Value Read(host::PropertyBag& bag, const host::Property& property) {
    const std::u16string key(property.name);
    switch (property.kind) {
    case host::ValueKind::kColor:
    case host::ValueKind::kNumber: return {bag.ReadInt32(key, property.default_number), {}};
    case host::ValueKind::kTruth: return {bag.ReadBool(key, members::DefaultTruth(property)), {}};
    case host::ValueKind::kText: return {0, bag.ReadString(key, std::u16string(property.default_text))};
    }
    return {};
}

void Write(host::PropertyBag& bag, const host::Property& property, const Value& value) {
    const std::u16string key(property.name);
    switch (property.kind) {
    case host::ValueKind::kColor:
    case host::ValueKind::kNumber: bag.WriteInt32(key, value.number, property.default_number); break;
    case host::ValueKind::kTruth:
        bag.WriteBool(key, static_cast<TruthValue>(value.number), members::DefaultTruth(property));
        break;
    case host::ValueKind::kText: bag.WriteString(key, value.text, std::u16string(property.default_text)); break;
    }
}

Value Number(std::int32_t number) { return {number, {}}; }
Value Text(std::u16string text) { return {0, std::move(text)}; }

}  // namespace

// Every property is named in each switch below, which has no default: a property added to the
// member table and left out of one is a compile error, with or without SELVANE_WERROR.
#pragma GCC diagnostic error "-Wswitch"
#pragma GCC diagnostic error "-Wswitch-enum"

// The children start with their designed values; the flags the control holds itself start
// with their defaults.
void Selvane::InitProperties() {
    for (const Member member : members::kMembers) {
        const TruthValue truth = members::DefaultTruth(members::PropertyOf(member));
        switch (member) {
        case Member::BackColor:
        case Member::Label1Color:
        case Member::Label2Color:
        case Member::Label1Bold:
        case Member::Label2Bold:
        case Member::Path:
        case Member::FileType: break;
        case Member::DirOnly: m_DirOnly = truth; break;
        case Member::Server: m_Server = truth; break;
        case Member::Tips: m_Tips = truth; break;
        case Member::ShowHidden: m_ShowHidden = truth; break;
        // The lists start choosing one file, in their plain order.
        case Member::MultiSelect:
        case Member::SortOrder: break;
        }
    }
}

// Values go straight onto the children: no change notifications, no repaint, and the path
// does not pass through the Path property's mapping. A setting that can't be read or applied
// is reported to the host and skipped, so one stale value (a folder since deleted) costs only
// itself and the others still load; the control keeps what it had for the skipped one.
void Selvane::ReadProperties(host::PropertyBag& bag) {
    for (const Member member : members::kMembers) {
        const host::Property& property = members::PropertyOf(member);
        attempt([&] { Load(member, Read(bag, property)); },
                [&](const RuntimeError& error) { site_.ReportLoadError(std::u16string(property.name), error); });
    }
}

// A failure ends the save and reaches the host; the keys after it are not written. A property
// that isn't saved at its default isn't, so that a control that leaves the newer properties
// alone saves what a control without them saved, byte for byte.
void Selvane::WriteProperties(host::PropertyBag& bag) {
    for (const Member member : members::kMembers) {
        const host::Property& property = members::PropertyOf(member);
        const Value value = Saved(member);
        const bool at_default = value.number == property.default_number && value.text == property.default_text;
        if (members::SavedAtDefault(member) || !at_default) Write(bag, property, value);
    }
}

// What loading a saved value does to each property.
void Selvane::Load(Member member, const Value& value) {
    const auto color = static_cast<Color>(value.number);
    const auto truth = static_cast<TruthValue>(value.number);
    switch (member) {
    case Member::BackColor: surface_.SetBackColor(color); break;
    case Member::Label1Color: surface_.Label1().SetForeColor(color); break;
    case Member::Label2Color: surface_.Label2().SetForeColor(color); break;
    case Member::Label1Bold: surface_.Label1().SetFontBold(truth); break;
    case Member::Label2Bold: surface_.Label2().SetFontBold(truth); break;
    case Member::Path: LoadPath(value.text); break;
    case Member::DirOnly: m_DirOnly = truth; break;
    case Member::Server: m_Server = truth; break;
    // Only the flag: the tool tips stay as they are until Tips is next assigned.
    case Member::Tips: m_Tips = truth; break;
    case Member::FileType: surface_.Text1().SetText(value.text); break;
    case Member::ShowHidden: m_ShowHidden = truth; break;
    case Member::MultiSelect: ApplyMultiSelect(value.number); break;
    case Member::SortOrder: ApplySortOrder(value.number); break;
    }
}

// The value each property saves.
Value Selvane::Saved(Member member) {
    switch (member) {
    case Member::BackColor: return Number(static_cast<std::int32_t>(surface_.BackColor()));
    case Member::Label1Color: return Number(static_cast<std::int32_t>(surface_.Label1().ForeColor()));
    case Member::Label2Color: return Number(static_cast<std::int32_t>(surface_.Label2().ForeColor()));
    case Member::Label1Bold: return Number(surface_.Label1().FontBold());
    case Member::Label2Bold: return Number(surface_.Label2().FontBold());
    case Member::Path: return Text(surface_.Dir1().Path());
    case Member::DirOnly: return Number(m_DirOnly);
    case Member::Server: return Number(m_Server);
    case Member::Tips: return Number(m_Tips);
    case Member::FileType: return Text(surface_.Text1().Text());
    case Member::ShowHidden: return Number(m_ShowHidden);
    case Member::MultiSelect: return Number(MultiSelect());
    case Member::SortOrder: return Number(SortOrder());
    }
    return {};
}

// Moves the drive list to the saved path's drive first, so that both lists agree, then the
// directory list to the path. When the directory can't be reached, both lists go back to
// where they were and the failure travels on.
void Selvane::LoadPath(const std::u16string& path) {
    const paths::ParsedPath saved = paths::Parse(path);
    if (!saved.HasDrive()) {
        surface_.Dir1().SetPath(saved);
        return;
    }
    const std::u16string old_path = surface_.Dir1().Path();
    const std::u16string old_drive = surface_.Drive1().Drive();
    surface_.Drive1().SetDrive(path.substr(0, 1));
    try {
        surface_.Dir1().SetPath(saved);
    } catch (...) {
        attempt([&] { surface_.Drive1().SetDrive(old_drive.substr(0, 1)); });
        attempt([&] { surface_.Dir1().SetPath(paths::Parse(old_path)); });
        throw;
    }
}


}  // namespace selvane
