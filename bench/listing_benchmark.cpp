// How long a complete listing takes next to the bare enumeration it is built on.
//
// For folders of 1,000, 10,000 and 30,000 files it times, in the same run and on the same folder,
// a bare FindFirstFileW/FindNextFileW loop and the control's RefreshFiles on a visible control
// (the list filled in its sorted order, the extent set, the labels updated), and prints the
// medians and their ratio.
//
//   selvane-listing-benchmark [FOLDER]     (default: a folder in the temporary directory)
// `make bench` runs it under Wine.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "control/selvane.h"
#include "host/memory/memory_site.h"
#include "host/win32/win32_host.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 11;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A folder of `count` empty files with names of mixed case. A folder that is there already is
// taken as it is (scripts/bench-files.sh makes them much faster than Wine can).
std::wstring MakeFolder(const std::wstring& base, int count) {
    const std::wstring folder = base + L"\\files-" + std::to_wstring(count);
    ::CreateDirectoryW(base.c_str(), nullptr);
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    for (int i = 0; i < count; ++i) {
        wchar_t name[64];
        std::swprintf(name, 64, L"%ls\\%ls%05d_%ls.txt", folder.c_str(), (i % 3 == 0) ? L"Report" : L"data",
                      (i * 7919) % 100000, (i % 2 == 0) ? L"final" : L"v");
        const selvane::win32::UniqueFile file(
            ::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return folder;
}

int BareLoop(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    const selvane::win32::UniqueFind find(::FindFirstFileW((folder + L"\\*.*").c_str(), &data));
    int count = 0;
    if (!find) return 0;
    do {
        ++count;
    } while (::FindNextFileW(find.get(), &data));
    return count;
}

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    std::wstring base;
    if (argc > 1) {
        base = argv[1];
    } else {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        base = std::wstring(temp) + L"selvane-benchmark";
    }

    HWND frame = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 400, nullptr, nullptr,
                                   nullptr, nullptr);
    selvane::memory::MemorySite site;
    selvane::win32::Win32Host host(frame, u"C:\\");
    selvane::Selvane control(host.Bind(site));
    control.Initialize();
    control.InitProperties();
    control.Resize();
    Pump();

    std::printf("%8s  %12s  %16s  %6s\n", "files", "bare loop ms", "RefreshFiles ms", "ratio");
    for (int count : {1000, 10000, 30000}) {
        const std::wstring folder = MakeFolder(base, count);
        control.SetPath(selvane::win32::Utf16(folder));
        Pump();
        std::vector<double> bare;
        std::vector<double> full;
        for (int run = 0; run < kRuns; ++run) {
            auto start = Clock::now();
            const int found = BareLoop(folder);
            bare.push_back(Milliseconds(Clock::now() - start));

            start = Clock::now();
            control.RefreshFiles();
            full.push_back(Milliseconds(Clock::now() - start));
            Pump();
            if (found < count || host.surface.List1().ListCount() != count) {
                std::fprintf(stderr, "listing of %d files found %d and listed %d\n", count, found,
                             host.surface.List1().ListCount());
                return 1;
            }
        }
        const double bare_ms = Median(bare);
        const double full_ms = Median(full);
        std::printf("%8d  %12.1f  %16.1f  %6.2f\n", count, bare_ms, full_ms, full_ms / bare_ms);
        std::fflush(stdout);
    }
    ::DestroyWindow(frame);
    return 0;
}
