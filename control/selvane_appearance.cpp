// Colours, bold flags and tool tips. All but Tips live in the surface and labels themselves.
#include <string>

#include "host/attempt.h"
#include "control/members.h"
#include "control/selvane.h"
#include "host/design.h"

namespace selvane {

Color Selvane::BackColor() { return surface_.BackColor(); }

// Repaints even when the colour is unchanged.
void Selvane::SetBackColor(Color color) {
    surface_.SetBackColor(color);
    site_.PropertyChanged(members::kBackColor);
    surface_.Refresh();
}

Color Selvane::Label1Color() { return surface_.Label1().ForeColor(); }

void Selvane::SetLabel1Color(Color color) {
    surface_.Label1().SetForeColor(color);
    site_.PropertyChanged(members::kLabel1Color);
}

Color Selvane::Label2Color() { return surface_.Label2().ForeColor(); }

void Selvane::SetLabel2Color(Color color) {
    surface_.Label2().SetForeColor(color);
    site_.PropertyChanged(members::kLabel2Color);
}

TruthValue Selvane::Label1Bold() { return surface_.Label1().FontBold(); }

void Selvane::SetLabel1Bold(TruthValue bold) {
    surface_.Label1().SetFontBold(bold);
    site_.PropertyChanged(members::kLabel1Bold);
}

TruthValue Selvane::Label2Bold() { return surface_.Label2().FontBold(); }

void Selvane::SetLabel2Bold(TruthValue bold) {
    surface_.Label2().SetFontBold(bold);
    site_.PropertyChanged(members::kLabel2Bold);
}

TruthValue Selvane::Tips() { return m_Tips; }

// Keeps exactly the value passed; any non-zero value shows the tips. Turning them off clears
// every child's tip, the labels' included. Never fails.
void Selvane::SetTips(TruthValue tips) {
    m_Tips = tips;
    if (IsTrue(m_Tips)) {
        attempt([&] { surface_.Drive1().SetToolTipText(std::u16string(design::kDriveTip)); });
        attempt([&] { surface_.Dir1().SetToolTipText(std::u16string(design::kDirTip)); });
        attempt([&] { surface_.Text1().SetToolTipText(std::u16string(design::kPatternTip)); });
        attempt([&] { surface_.Command1().SetToolTipText(std::u16string(design::kAllTip)); });
        attempt([&] { surface_.List1().SetToolTipText(std::u16string(design::kFileTip)); });
    } else {
        int count = 0;
        attempt([&] { count = surface_.ControlCount(); });
        for (int i = 0; i < count; ++i) attempt([&] { surface_.Control(i).SetToolTipText(u""); });
    }
    attempt([&] { site_.PropertyChanged(members::kTips); });
}

}  // namespace selvane
