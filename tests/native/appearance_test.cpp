// Colours, bold flags, tool tips and the proportional layout.
#include "control_fixture.h"

#include <cmath>
#include <limits>

#include "appearance/colors.h"
#include "appearance/layout.h"

namespace selvane::testing {
namespace {

using AppearanceTest = ControlTest;

Names ToolTips(memory::MemorySurface& surface) {
    return {surface.Command1().tool_tip(), surface.Text1().tool_tip(), surface.List1().tool_tip(),
            surface.Dir1().tool_tip(),     surface.Drive1().tool_tip(), surface.Label2().tool_tip(),
            surface.Label1().tool_tip()};
}

TEST_F(AppearanceTest, TipsOffClearsEveryChildAndOnRestoresTheFive) {
    CreateNew();
    const Names design_tips = {u" Select All Files ", u" Specify File Pattern ", u" Select File ",
                               u" Select Directory ", u" Select Drive ",      u"",
                               u""};
    EXPECT_EQ(ToolTips(*surface), design_tips);

    control->SetTips(kFalse);
    EXPECT_EQ(ToolTips(*surface), Names(7, u""));
    control->SetTips(5);
    EXPECT_EQ(control->Tips(), 5) << "the value is kept as passed";
    EXPECT_EQ(ToolTips(*surface), design_tips);
    control->SetTips(kTrue);
    EXPECT_EQ(site.notifications, (Names{u"Tips", u"Tips", u"Tips"}));
}

TEST_F(AppearanceTest, ListingGivesTheFileListItsTipWhateverTipsSays) {
    CreateNew();
    control->SetTips(kFalse);
    control->SetPath(u"c:\\data");
    EXPECT_EQ(surface->List1().tool_tip(), u" Select File ");
    EXPECT_EQ(surface->Drive1().tool_tip(), u"");
    EXPECT_EQ(surface->Command1().tool_tip(), u"");
}

TEST_F(AppearanceTest, TipsNeverFailsEvenWhenAChildRefusesItsTip) {
    CreateNew();
    surface->Dir1().Fail(u"ToolTipText");
    control->SetTips(kFalse);
    EXPECT_EQ(surface->Drive1().tool_tip(), u"");
    EXPECT_EQ(surface->Dir1().tool_tip(), u" Select Directory ");
    EXPECT_EQ(site.notifications, (Names{u"Tips"}));
}

TEST_F(AppearanceTest, ColoursAndBoldLiveInTheSurfaceAndLabels) {
    CreateNew();
    control->SetBackColor(0x8000000F);
    EXPECT_EQ(surface->refresh_count(), 1) << "repainted although the colour is unchanged";
    control->SetLabel1Bold(kTrue);
    EXPECT_EQ(surface->Label2().FontBold(), kFalse);
    surface->Label1().SetFontBold(kFalse);
    EXPECT_EQ(control->Label1Bold(), kFalse) << "read from the label, not a copy";
    control->SetLabel2Color(0x0000FF00);
    EXPECT_EQ(surface->Label2().ForeColor(), 0x0000FF00u);
    EXPECT_EQ(surface->Label1().ForeColor(), 0u);
    EXPECT_EQ(site.notifications, (Names{u"BackColor", u"Label1Bold", u"Label2Color"}));
    // A label's font is bold or not: any true value reads back as True, as on Windows.
    control->SetLabel2Bold(5);
    EXPECT_EQ(control->Label2Bold(), kTrue);
}

TEST_F(AppearanceTest, ARefusedColourFailsWithoutNotifying) {
    CreateNew();
    surface->Label1().Fail(u"ForeColor");
    EXPECT_THROW(control->SetLabel1Color(0x00FF0000), RuntimeError);
    EXPECT_TRUE(site.notifications.empty());
}

// What Resize gave one child: font size, left, top, width, height.
struct Placed {
    float font, left, top, width, height;
};

Placed PlacedOf(const host::ChildControl& child) {
    return {child.FontSize(), child.Left(), child.Top(), child.Width(), child.Height()};
}

void ExpectPlaced(const host::ChildControl& child, Placed expected) {
    const Placed actual = PlacedOf(child);
    EXPECT_FLOAT_EQ(actual.font, expected.font);
    EXPECT_FLOAT_EQ(actual.left, expected.left);
    EXPECT_FLOAT_EQ(actual.top, expected.top);
    EXPECT_FLOAT_EQ(actual.width, expected.width);
    EXPECT_FLOAT_EQ(actual.height, expected.height);
}

class LayoutTest : public ControlTest {
protected:
    void ResizeTo(float width_factor, float height_factor) {
        surface->SetSize(width_factor * design::kSurfaceWidth, height_factor * design::kSurfaceHeight);
        control->Resize();
    }
};

TEST_F(LayoutTest, ChildrenScaleWithTheSurfaceAndFontsWithTheSmallerFactor) {
    CreateNew();
    const float kFont = design::kFontSize;
    ResizeTo(2, 2);
    ExpectPlaced(surface->Label1(), {2 * kFont, 240, 4800, 9150, 510});
    ResizeTo(2, 1);
    ExpectPlaced(surface->Label1(), {kFont, 240, 2400, 9150, 255});
    ResizeTo(1, 0.5f);
    ExpectPlaced(surface->Label1(), {kFont / 2, 120, 1200, 4575, 127.5f});
    ResizeTo(2, 0.5f);
    ExpectPlaced(surface->Command1(), {kFont / 2, 8400, 1020, 990, 127.5f});
    ResizeTo(0, 1);
    ExpectPlaced(surface->Drive1(), {0, 0, 120, 0, 315});
}

TEST_F(LayoutTest, ResizingNeverDriftsFromTheDesign) {
    CreateNew();
    surface->List1().SetFontSize(20);
    surface->List1().SetLeft(1);
    ResizeTo(3, 0.7f);
    ResizeTo(0.3f, 1.9f);
    ResizeTo(1, 1);
    for (int i = 0; i < surface->ControlCount(); ++i) {
        const design::Child& child = design::kChildren[static_cast<std::size_t>(i)];
        ExpectPlaced(surface->Control(i), {design::kFontSize, child.left, child.top, child.width, child.height});
    }
}

TEST_F(LayoutTest, AChildRefusingOneValueKeepsItAndGetsTheRest) {
    CreateNew();
    surface->Drive1().Fail(u"Height");
    surface->Text1().Fail(u"FontSize");
    ResizeTo(2, 2);
    surface->Drive1().Fail(u"Height", false);
    surface->Text1().Fail(u"FontSize", false);
    ExpectPlaced(surface->Drive1(), {16, 240, 240, 9150, 315});
    ExpectPlaced(surface->Text1(), {8, 240, 4080, 8190, 570});
}

TEST_F(LayoutTest, AZeroDesignSizeLeavesNoChildAtAnInfinitePosition) {
    Create();
    surface->SetSize(0, 0);
    control->Initialize();
    surface->SetSize(design::kSurfaceWidth, design::kSurfaceHeight);
    control->Resize();
    for (int i = 0; i < surface->ControlCount(); ++i) {
        const Placed placed = PlacedOf(surface->Control(i));
        for (float value : {placed.font, placed.left, placed.top, placed.width, placed.height})
            EXPECT_TRUE(std::isfinite(value));
    }
}

// A child's place and font at each scale: lengths across follow x, lengths down y, the font the
// smaller of the two.
TEST(LayoutArithmetic, LengthsFollowTheirAxisAndTheFontTheSmallerScale) {
    const ControlLayout design{nullptr, 100, 200, 300, 400, 8};
    const struct {
        float x, y;
        Placement placed;
    } cases[] = {
        {1, 1, {100, 200, 300, 400, 8}},
        {2, 0.5f, {200, 100, 600, 200, 4}},
        {0.5f, 3, {50, 600, 150, 1200, 4}},
        {0, 1, {0, 200, 0, 400, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "x " << c.x << ", y " << c.y);
        const Placement placed = selvane::Placed(design, c.x, c.y);
        EXPECT_FLOAT_EQ(placed.left, c.placed.left);
        EXPECT_FLOAT_EQ(placed.top, c.placed.top);
        EXPECT_FLOAT_EQ(placed.width, c.placed.width);
        EXPECT_FLOAT_EQ(placed.height, c.placed.height);
        EXPECT_FLOAT_EQ(placed.font_size, c.placed.font_size);
    }
    EXPECT_FLOAT_EQ(ScaleFactor(3000, 1500), 2);
    EXPECT_THROW(ScaleFactor(3000, 0), RuntimeError);
}

// Points become pixels at the screen's resolution, never fewer than one; a size that is no
// finite, non-negative number is refused.
TEST(LayoutArithmetic, FontPointsBecomePixelsAtTheResolution) {
    const struct {
        float points;
        int dpi;
        long pixels;
    } cases[] = {
        {8, 96, 11}, {12, 96, 16}, {8, 144, 16}, {7.5f, 96, 10}, {0, 96, 1}, {0.3f, 96, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FontPixels(c.points, c.dpi), c.pixels) << c.points << " points at " << c.dpi << " dpi";
    }
    for (float refused : {-1.0f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        try {
            FontPixels(refused, 96);
            ADD_FAILURE() << refused << " points were taken";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.code(), errc::kInvalidPropertyValue);
        }
    }
}

// High contrast draws the system's colours in place of whatever is set, a system colour among
// them; without it the set colour is drawn as it is.
TEST(DrawnColor, HighContrastDrawsTheSystemsButtonColoursWhateverIsSet) {
    struct Case {
        ColorRole role;
        Color set;
        bool high_contrast;
        Color drawn;
    };
    const Case cases[] = {
        {ColorRole::kText, 0x80000008, false, 0x80000008},
        {ColorRole::kText, 0x000000, true, kButtonTextColor},
        {ColorRole::kText, 0x80000008, true, kButtonTextColor},
        {ColorRole::kBackground, 0xFFFFFF, true, kButtonFaceColor},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DrawnColor(c.role, c.set, c.high_contrast), c.drawn)
            << std::hex << "set " << c.set << (c.high_contrast ? ", high contrast" : "");
    }
}

}  // namespace
}  // namespace selvane::testing
