// A Selvane control on the in-memory host, in a small world of drives and files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control/selvane.h"
#include "memory/memory_host.h"
#include "memory/memory_property_bag.h"

namespace selvane::testing {

inline constexpr LocalTime kReportTime{2003, 2, 9, 10, 15, 32};

class ControlTest : public ::testing::Test, protected memory::MemoryHost {
protected:
    // c: [system]   files c:\autoexec.bat, c:\data\report.txt, b.txt, A.TXT;
    //               folders c:\data\sub, hidden c:\secret, c:\tools\node.js, c:\my.files\sub,
    //               c:\program files\app
    // d:            d:\docs\readme
    // a:            removable, no medium
    // x: [\\fs1\pub]        x:\docs\report.txt and the folder x:\team\a
    // y: [\\fs1\pub\team]   y:\notes.txt
    // n: [\\fs2\gone]       not connected
    ControlTest() {
        fs.AddLocalDrive(u'c', u"system");
        fs.AddFile(u"c:\\autoexec.bat", 100);
        fs.AddFile(u"c:\\data\\report.txt", 2500, kReportTime);
        fs.AddFile(u"c:\\data\\b.txt", 20);
        fs.AddFile(u"c:\\data\\A.TXT", 30);
        fs.AddDirectory(u"c:\\data\\sub");
        fs.AddDirectory(u"c:\\secret", attr::kHidden);
        fs.AddDirectory(u"c:\\tools\\node.js");
        fs.AddDirectory(u"c:\\my.files\\sub");
        fs.AddDirectory(u"c:\\program files\\app");
        fs.AddLocalDrive(u'd');
        fs.AddFile(u"d:\\docs\\readme", 10);
        fs.AddRemovableDrive(u'a', false);
        fs.AddNetworkDrive(u'x', u"\\\\fs1\\pub");
        fs.AddFile(u"x:\\docs\\report.txt", 70);
        fs.AddDirectory(u"x:\\team\\a");
        fs.AddNetworkDrive(u'y', u"\\\\fs1\\pub\\team");
        fs.AddFile(u"y:\\notes.txt", 5);
        fs.AddNetworkDrive(u'n', u"\\\\fs2\\gone", false);
    }

    // A control as the host makes it, before Initialize.
    void Create(char16_t start_drive = u'c', std::u16string start_directory = u"c:\\") {
        control.reset();
        control = std::make_unique<Selvane>(NewSurface(start_drive, std::move(start_directory)));
    }

    // A new instance, as a host creates it without saved settings.
    void CreateNew(char16_t start_drive = u'c', std::u16string start_directory = u"c:\\") {
        Create(start_drive, std::move(start_directory));
        control->Initialize();
        control->InitProperties();
    }

    // A saved instance, as a host loads it.
    void CreateLoaded(memory::MemoryPropertyBag& bag) {
        Create();
        control->Initialize();
        control->ReadProperties(bag);
    }

    const std::vector<std::u16string>& Files() { return surface->List1().entries(); }
    std::u16string FilesLabel() { return surface->Label1().Caption(); }
    std::u16string InfoLabel() { return surface->Label2().Caption(); }
    std::u16string Dir() { return surface->Dir1().Path(); }
    std::u16string Drive() { return surface->Drive1().Drive(); }

    // Selects the entry with this text, as the user clicks it. A name the list doesn't show
    // fails the test at the caller's line.
    void ClickFile(const std::u16string& name, bool twice = false, const char* file = __builtin_FILE(),
                   int line = __builtin_LINE()) {
        const auto& entries = Files();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] != name) continue;
            if (twice) surface->List1().UserDoubleClick(static_cast<int>(i));
            else surface->List1().UserClick(static_cast<int>(i));
            return;
        }
        ADD_FAILURE_AT(file, line) << "no entry named " << std::string(name.begin(), name.end())
                                   << " in the file list";
    }

    std::unique_ptr<Selvane> control;
};

using Names = std::vector<std::u16string>;

}  // namespace selvane::testing
