// The About dialog and the product page launcher behind its logo.
#include <cstdint>
#include <stdexcept>

#include "about/about_box.h"
#include "about/product_page.h"
#include "control_fixture.h"

namespace selvane::testing {
namespace {

using AboutTest = ControlTest;
using host::form::Kind;

std::uint16_t Word(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

TEST(AboutBoxDesign, ThreeControlsInTabOrderWithTheirTextsAndTheLogo) {
    const auto design = about::AboutBoxDesign();
    EXPECT_EQ(design.caption, u"Selvane OCX");
    EXPECT_EQ(design.client_width, 2670);
    EXPECT_EQ(design.client_height, 1440);
    ASSERT_EQ(design.controls.size(), 3u);

    const auto& label = design.controls[0];
    EXPECT_EQ(label.name, u"Label1");
    EXPECT_EQ(label.kind, Kind::kLabel);
    EXPECT_EQ((std::array<float, 4>{label.left, label.top, label.width, label.height}),
              (std::array<float, 4>{120, 120, 2535, 255}));
    EXPECT_NE(label.text.find(u"2026"), std::u16string_view::npos) << "the notice names the year";
    EXPECT_NE(label.text.find(u"Selvane team"), std::u16string_view::npos) << "and the author";

    const auto& ok = design.controls[1];
    EXPECT_EQ(ok.name, u"Command1");
    EXPECT_EQ(ok.kind, Kind::kCommandButton);
    EXPECT_EQ((std::array<float, 4>{ok.left, ok.top, ok.width, ok.height}), (std::array<float, 4>{720, 840, 1215, 495}));
    EXPECT_EQ(ok.text, u"&OK");

    const auto& logo = design.controls[2];
    EXPECT_EQ(logo.name, u"Picture1");
    EXPECT_EQ(logo.kind, Kind::kPictureBox);
    EXPECT_EQ((std::array<float, 4>{logo.left, logo.top, logo.width, logo.height}),
              (std::array<float, 4>{1080, 480, 495, 255}));
    EXPECT_EQ(logo.tool_tip, u" Buy Selvane OCX now for only $9.95! ");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(design.controls[static_cast<std::size_t>(i)].tab_index, i);

    // A GIF89a of 30 x 15 with a 64-colour global palette, and a transparent colour before the image.
    const std::string_view gif = logo.picture;
    ASSERT_GT(gif.size(), 13u + 192u + 8u);
    EXPECT_EQ(gif.substr(0, 6), "GIF89a");
    EXPECT_EQ(Word(gif, 6), 30);
    EXPECT_EQ(Word(gif, 8), 15);
    const auto packed = static_cast<unsigned char>(gif[10]);
    EXPECT_TRUE(packed & 0x80) << "global palette";
    EXPECT_EQ(2 << (packed & 7), 64);
    const std::string_view control_extension = gif.substr(13 + 64 * 3, 4);
    EXPECT_EQ(control_extension.substr(0, 3), std::string_view("\x21\xF9\x04", 3));
    EXPECT_TRUE(control_extension[3] & 1) << "one colour is transparent";
    EXPECT_EQ(gif.back(), '\x3B');
}

TEST_F(AboutTest, EachCallShowsAFreshDialogThatOkOrTheCloseBoxUnloads) {
    CreateNew();
    std::vector<host::WindowHandle> shown;
    forms.user = [&](memory::MemoryForm& form) {
        shown.push_back(form.Handle());
        if (shown.size() == 1) {
            form.Click(u"Command1");
        } else {
            form.Close();
        }
    };
    control->AboutBox();
    control->AboutBox();
    EXPECT_EQ(forms.created, 2);
    EXPECT_EQ(forms.shown, 2);
    EXPECT_EQ(forms.shown_open, 0) << "both closed before their loops ended";
    EXPECT_EQ(forms.alive, 0) << "each dialog is released once it has closed";
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0], shown[1]);
    EXPECT_TRUE(site.notifications.empty());
}

std::vector<std::u16string> g_traced;
void Capture(const std::u16string& line) { g_traced.push_back(line); }

TEST_F(AboutTest, ADialogThatCannotBeMadeOrShownEndsQuietlyButForATraceLine) {
    CreateNew();
    g_traced.clear();
    SetTraceListener(&Capture);
    forms.fail_create = true;
    EXPECT_NO_THROW(control->AboutBox());
    EXPECT_EQ(forms.created, 0);

    forms.fail_create = false;
    forms.fail_show = true;
    EXPECT_NO_THROW(control->AboutBox());
    SetTraceListener(nullptr);
    EXPECT_EQ(forms.created, 1);
    EXPECT_EQ(forms.alive, 0);
    ASSERT_EQ(g_traced.size(), 2u) << "one line for each dialog that failed";
    for (const std::u16string& line : g_traced) {
        EXPECT_EQ(line.rfind(u"selvane: skipped at about/about_box.cpp:", 0), 0u);
        EXPECT_NE(line.find(u": error 7 (Out of memory)"), std::u16string::npos);
    }
}

// Shows the dialog, clicks the logo, and closes it again.
void ClickLogo(memory::MemoryForms& forms, Selvane& control, host::WindowHandle* dialog = nullptr) {
    forms.user = [&](memory::MemoryForm& form) {
        if (dialog) *dialog = form.Handle();
        form.Click(u"Picture1");
        EXPECT_TRUE(form.loaded()) << "the dialog stays open";
        form.Click(u"Command1");
    };
    control.AboutBox();
}

TEST_F(AboutTest, LogoStartsTheBrowserWithThePageAndLeavesNoProbeFile) {
    CreateNew();
    shell.browser = u"C:\\Program Files\\Browser\\browser.exe";
    host::WindowHandle dialog = 0;
    ClickLogo(forms, *control, &dialog);

    ASSERT_EQ(shell.looked_up.size(), 1u);
    const std::u16string& probe = shell.looked_up[0];
    EXPECT_EQ(probe.substr(probe.size() - 4), u".HTM");
    ASSERT_EQ(shell.started.size(), 1u);
    const auto& start = shell.started[0];
    EXPECT_EQ(start.owner, dialog);
    EXPECT_EQ(start.program, shell.browser);
    EXPECT_EQ(start.parameters, about::kProductPage);
    EXPECT_EQ(about::kProductPage.substr(0, 8), u"https://");
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(shell.temporary_files.empty()) << "the probe file is gone";
}

TEST_F(AboutTest, FailuresToFindOrStartABrowserAreEachToldInOneMessage) {
    struct Case {
        const char* what;
        std::u16string browser;
        bool browser_starts;
        bool writable;
        std::u16string message;
        std::size_t lookups, starts;
    };
    const Case cases[] = {
        {"no association", u"", true, true, u"Unable to find associated browser.", 1, 0},
        {"association of blanks", u"   ", true, true, u"Unable to find associated browser.", 1, 0},
        {"browser won't start", u"c:\\browser.exe", false, true, u"Unable to open web page.", 1, 1},
        {"no probe file", u"c:\\browser.exe", true, false, u"Unable to find associated browser.", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CreateNew();
        shell = memory::MemoryShell{};
        shell.browser = c.browser;
        shell.programs_start = c.browser_starts;
        shell.temporary_folder_writable = c.writable;
        host::WindowHandle dialog = 0;
        ClickLogo(forms, *control, &dialog);

        EXPECT_EQ(shell.looked_up.size(), c.lookups);
        EXPECT_EQ(shell.started.size(), c.starts);
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].text, c.message);
        EXPECT_EQ(shell.messages[0].title, u"Selvane OCX");
        EXPECT_EQ(shell.messages[0].owner, dialog);
        EXPECT_TRUE(shell.temporary_files.empty());
    }
}

TEST_F(AboutTest, ProbeFileHoldsASmallWebPageUnderAFreshName) {
    // The probe is taken as found, before the launcher deletes it.
    class KeepingShell : public memory::MemoryShell {
    public:
        void DeleteTemporaryFile(const std::u16string& path) override {
            kept[path] = temporary_files.at(path);
            MemoryShell::DeleteTemporaryFile(path);
        }
        std::map<std::u16string, std::string> kept;
    } keeping;
    keeping.browser = u"c:\\browser.exe";
    about::OpenProductPage(keeping, 7);
    about::OpenProductPage(keeping, 7);
    ASSERT_EQ(keeping.kept.size(), 2u) << "each call makes and deletes a file of its own";
    for (const auto& [path, text] : keeping.kept) EXPECT_EQ(text, "\"<HTML> <\\HTML>\"\r\n");
    EXPECT_TRUE(keeping.temporary_files.empty());
}

// Every call of this shell fails.
class BrokenShell : public host::Shell {
public:
    std::u16string CreateTemporaryFile(const std::u16string&, const std::string&) override { Fail(); }
    void DeleteTemporaryFile(const std::u16string&) override { Fail(); }
    std::u16string FindAssociatedProgram(const std::u16string&) override { Fail(); }
    bool StartProgram(host::WindowHandle, const std::u16string&, const std::u16string&) override { Fail(); }
    void ShowWarning(host::WindowHandle, const std::u16string&, const std::u16string&) override { Fail(); }
    int failures = 0;

private:
    [[noreturn]] void Fail() {
        ++failures;
        throw std::runtime_error("shell is gone");
    }
};

TEST(ProductPage, AShellThatFailsEverywhereStopsNothing) {
    BrokenShell broken;
    EXPECT_NO_THROW(about::OpenProductPage(broken, 0));
    EXPECT_EQ(broken.failures, 2) << "the probe, then the message; no lookup without a probe";
}

}  // namespace
}  // namespace selvane::testing
