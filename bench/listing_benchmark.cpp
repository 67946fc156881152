// How long a complete listing takes next to the bare enumeration it is built on.
//
// For folders of 1,000, 10,000 and 30,000 files, and one more of 10,000 whose names the list
// orders otherwise than an ordinal sort does, it times, in the same run and on the same folder,
// with the pattern *.txt:
//   - a bare FindFirstFileW/FindNextFileW loop;
//   - the control's RefreshFiles on a visible control, painting included (the folder read, the
//     extent measured, the labels updated, and the window painted). The files are the ones the
//     list shows already, so the list is left as it is on screen;
//   - a keystroke in the pattern box ("*.txt" becoming "*.txt*", the same files), painting
//     included, against the bare loop with that pattern;
//   - a listing of other files than the list shows ("*_v.txt" becoming "*.txt"), which fills the
//     list again in its sorted order and draws it and its scroll bar anew;
// and prints the medians and their ratios to the bare loop, with the working set's growth per
// listed file. Then it times one resize of the whole control (what a container's SetObjectRects
// does) next to moving the seven children alone, and SortOrder and MultiSelect changed on the
// folders listed (sorting and making the list anew from what it holds), painting included.
//
//   selvane-listing-benchmark [FOLDER]     (default: a folder in the temporary directory)
// Last, a folder of 1,000,000 files where there is one (files-1000000), listed once.
// `make bench` runs it under Wine.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "control/selvane.h"
#include "memory/memory_site.h"
#include "win32/win32_host.h"

namespace {

using Clock = std::chrono::steady_clock;

// More runs for the smaller folders, whose times vary more from run to run.
int RunsFor(int count) { return count <= 1000 ? 41 : count <= 10000 ? 21 : 11; }

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A folder of `count` empty files with names of mixed case, or with every other name hyphenated
// (data-00001_v.txt, data00000_final.txt): the list ignores the hyphens, so half of the names
// are out of their ordinal order. A folder that is there already is taken as it is
// (scripts/bench-files.sh makes them much faster than Wine can).
struct Folder {
    int count;
    bool hyphenated;
};

std::wstring MakeFolder(const std::wstring& base, Folder kind) {
    const std::wstring folder = base + (kind.hyphenated ? L"\\hyphens-" : L"\\files-") + std::to_wstring(kind.count);
    ::CreateDirectoryW(base.c_str(), nullptr);
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    for (int i = 0; i < kind.count; ++i) {
        wchar_t name[64];
        if (kind.hyphenated) {
            std::swprintf(name, 64, (i % 2 == 0) ? L"%ls\\data%05d_final.txt" : L"%ls\\data-%05d_v.txt",
                          folder.c_str(), i);
        } else {
            std::swprintf(name, 64, L"%ls\\%ls%05d_%ls.txt", folder.c_str(), (i % 3 == 0) ? L"Report" : L"data",
                          (i * 7919) % 100000, (i % 2 == 0) ? L"final" : L"v");
        }
        const selvane::win32::UniqueFile file(
            ::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    return folder;
}

int BareLoop(const std::wstring& folder, const wchar_t* pattern) {
    WIN32_FIND_DATAW data;
    const selvane::win32::UniqueFind find(::FindFirstFileW((folder + L"\\" + pattern).c_str(), &data));
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

// Lets the windows paint what the last step invalidated, as they would before the user sees it.
void Paint(HWND frame) { ::RedrawWindow(frame, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

SIZE_T WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

template <class Step>
double Timed(Step&& step) {
    const auto start = Clock::now();
    step();
    return Milliseconds(Clock::now() - start);
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

    HWND frame = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 400,
                                   nullptr, nullptr, nullptr, nullptr);
    selvane::memory::MemorySite site;
    selvane::win32::Win32Host host(frame, u"C:\\");
    selvane::Selvane control(host.Bind(site));
    control.Initialize();
    control.InitProperties();
    control.Resize();
    Pump();
    const HWND edit = host.surface.ChildWindowOf(u"Text1");
    // A plain edit box of the pattern box's class, styles, size and font, that nothing listens
    // to: what a keystroke costs the edit control itself, echo and painting.
    RECT edit_place{};
    ::GetWindowRect(edit, &edit_place);
    const HWND plain = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"*.txt", WS_CHILD | WS_VISIBLE | ES_LEFT | ES_AUTOHSCROLL,
                                         0, 360, edit_place.right - edit_place.left,
                                         edit_place.bottom - edit_place.top, frame, nullptr, nullptr, nullptr);
    ::SendMessageW(plain, WM_SETFONT, static_cast<WPARAM>(::SendMessageW(edit, WM_GETFONT, 0, 0)), FALSE);
    std::vector<double> plain_keystroke;

    std::printf("%8s  %9s  %14s  %6s  %12s  %6s  %9s  %13s  %6s  %11s\n", "files", "bare ms", "RefreshFiles ms",
                "ratio", "keystroke ms", "ratio", "key/full", "new files ms", "ratio", "bytes/file");
    // SortOrder 1 and back, MultiSelect 2 and back, in ms, for each folder.
    std::vector<std::pair<std::string, std::vector<double>>> changes;
    for (const Folder kind : {Folder{1000, false}, Folder{10000, false}, Folder{10000, true}, Folder{30000, false}}) {
        const int count = kind.count;
        const std::wstring folder = MakeFolder(base, kind);
        control.SetPath(selvane::win32::Utf16(folder));
        control.SetFileType(u"*.txt");
        Pump();
        Paint(frame);
        std::vector<double> bare;
        std::vector<double> full;
        std::vector<double> keystroke;
        std::vector<double> bare_keystroke;
        std::vector<double> other;
        int found = 0;
        for (int run = 0; run < RunsFor(count); ++run) {
            bare.push_back(Timed([&] { found = BareLoop(folder, L"*.txt"); }));
            full.push_back(Timed([&] {
                control.RefreshFiles();
                Paint(frame);
            }));
            Pump();
            // A letter typed at the end of the pattern, as the user does: "*.txt" becoming
            // "*.txt*", which matches the same files.
            ::SendMessageW(edit, EM_SETSEL, 5, 5);
            Paint(frame);
            keystroke.push_back(Timed([&] {
                ::SendMessageW(edit, WM_CHAR, L'*', 0);
                Paint(frame);
            }));
            Pump();
            bare_keystroke.push_back(Timed([&] { BareLoop(folder, L"*.txt*"); }));
            ::SetWindowTextW(plain, L"*.txt");
            ::SendMessageW(plain, EM_SETSEL, 5, 5);
            Paint(frame);
            plain_keystroke.push_back(Timed([&] {
                ::SendMessageW(plain, WM_CHAR, L'*', 0);
                Paint(frame);
            }));
            // Other files than the list shows: half of them first, then all.
            ::SetWindowTextW(edit, L"*_v.txt");
            Pump();
            Paint(frame);
            other.push_back(Timed([&] {
                ::SetWindowTextW(edit, L"*.txt");
                Paint(frame);
            }));
            Pump();
            if (found < count || host.surface.List1().ListCount() != count) {
                std::fprintf(stderr, "listing of %d files found %d and listed %d\n", count, found,
                             host.surface.List1().ListCount());
                return 1;
            }
        }
        std::vector<std::vector<double>> put(4);
        for (int run = 0; run < 3; ++run) {
            const std::int32_t values[] = {1, 0, 2, 0};
            for (int i = 0; i < 4; ++i) {
                put[static_cast<std::size_t>(i)].push_back(Timed([&] {
                    i < 2 ? control.SetSortOrder(values[i]) : control.SetMultiSelect(values[i]);
                    Paint(frame);
                }));
                Pump();
            }
        }
        changes.push_back({std::to_string(count) + (kind.hyphenated ? "-" : ""),
                           {Median(put[0]), Median(put[1]), Median(put[2]), Median(put[3])}});
        // The working set with the folder listed, against the same control listing nothing.
        control.SetFileType(u"none-*");
        Pump();
        const SIZE_T empty = WorkingSet();
        control.SetFileType(u"*.txt");
        Pump();
        const SIZE_T listed = WorkingSet();
        const double growth = listed > empty ? static_cast<double>(listed - empty) / count : 0.0;

        const double bare_ms = Median(bare);
        const double full_ms = Median(full);
        const double key_ms = Median(keystroke);
        const double bare_key_ms = Median(bare_keystroke);
        const double other_ms = Median(other);
        const std::string files = std::to_string(count) + (kind.hyphenated ? "-" : "");
        std::printf("%8s  %9.1f  %14.1f  %6.2f  %12.1f  %6.2f  %9.2f  %13.1f  %6.2f  %11.0f\n", files.c_str(), bare_ms,
                    full_ms, full_ms / bare_ms, key_ms, key_ms / bare_key_ms, key_ms / full_ms, other_ms,
                    other_ms / bare_ms, growth);
        std::fflush(stdout);
    }

    std::printf("10000-: half the names data-NNNNN_v.txt, half dataNNNNN_final.txt\n");
    std::printf("%8s  %13s  %13s  %15s  %15s\n", "files", "SortOrder 1", "SortOrder 0", "MultiSelect 2", "MultiSelect 0");
    for (const auto& [files, ms] : changes) {
        std::printf("%8s  %10.1f ms  %10.1f ms  %12.1f ms  %12.1f ms\n", files.c_str(), ms[0], ms[1], ms[2], ms[3]);
    }
    std::printf("a keystroke in a plain edit box of the pattern box's size and font, that nothing listens to: "
                "%.2f ms\n", Median(plain_keystroke));

    // A folder of a million files (scripts/bench-files.sh makes it), once: listed whole, next to
    // the bare loop. Under Wine the first name of such a folder comes only once the system has
    // read all of it, seconds of silence in which the control sees its worker working.
    const std::wstring million = base + L"\\files-1000000";
    if (::GetFileAttributesW(million.c_str()) != INVALID_FILE_ATTRIBUTES) {
        int found = 0;
        const double bare_ms = Timed([&] { found = BareLoop(million, L"*.txt"); });
        // Path lists the folder twice: its subfolders for the directory list, then its files.
        const double path_ms = Timed([&] { control.SetPath(selvane::win32::Utf16(million)); });
        const int listed = host.surface.List1().ListCount();
        const double refresh_ms = Timed([&] { control.RefreshFiles(); });
        std::printf("1000000 files: bare loop %.0f ms (%d found); Path %.0f ms (%d listed); RefreshFiles %.0f ms, "
                    "ratio %.2f; working set %.0f MB\n",
                    bare_ms, found, path_ms, listed, refresh_ms, refresh_ms / bare_ms,
                    static_cast<double>(WorkingSet()) / (1 << 20));
        control.SetPath(selvane::win32::Utf16(base));
        Pump();
    }

    // One step of a resize as a user drags the container's edge (two pixels each way), as
    // SetObjectRects does it, against moving the seven children alone by as much.
    control.SetFileType(u"none-*");
    Pump();
    std::vector<HWND> children;
    for (const char16_t* name : {u"Command1", u"Text1", u"List1", u"Dir1", u"Drive1", u"Label2", u"Label1"}) {
        children.push_back(host.surface.ChildWindowOf(name));
    }
    std::vector<double> resize;
    std::vector<double> move;
    for (int run = 0; run < 81; ++run) {
        const int grow = 2 * run;
        resize.push_back(Timed([&] {
            host.surface.Place(frame, RECT{0, 0, 300 + grow, 240 + grow});
            control.Resize();
        }));
        Pump();
        move.push_back(Timed([&] {
            for (HWND child : children) {
                RECT place{};
                ::GetWindowRect(child, &place);
                ::MapWindowPoints(nullptr, host.surface.hwnd(), reinterpret_cast<POINT*>(&place), 2);
                ::MoveWindow(child, place.left, place.top, place.right - place.left + 1 - 2 * (run % 2),
                             place.bottom - place.top + 1 - 2 * (run % 2), TRUE);
            }
        }));
        Pump();
    }
    const double resize_ms = Median(resize);
    const double move_ms = Median(move);
    std::printf("resize %.2f ms, moving the seven children alone %.2f ms, ratio %.2f\n", resize_ms, move_ms,
                resize_ms / move_ms);
    ::DestroyWindow(frame);
    return 0;
}
