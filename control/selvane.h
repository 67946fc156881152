// The Selvane control: a drive list, a directory list, a pattern box with its "&All" button,
// a file-count label, a sorted file list and a file-details label, kept in step.
//
// One class, its members in a file for each family:
//   selvane.cpp              creation, Initialize, AboutBox, the flags DirOnly, Server and
//                            ShowHidden, FileType
//   selvane_persistence.cpp  InitProperties, ReadProperties, WriteProperties: what a new
//                            instance, loading and saving do to each property of the member
//                            table (members.h)
//   selvane_listing.cpp      the children's events, FillFileList, Refresh, RefreshFiles
//   selvane_watching.cpp     the shown folder watched, and the lists following it on disk
//   selvane_path.cpp         the Path property
//   selvane_queries.cpp      GetPath, FileSelected, SelectedCount, SelectedFiles, PathOnly,
//                            FileExists, DirExists
//   selvane_choosing.cpp     MultiSelect and SortOrder: how the user chooses files, and the
//                            order the lists show names in
//   selvane_appearance.cpp   the colours, the bold flags and Tips
//   selvane_layout.cpp       CaptureLayout and Resize
// The class holds the state and wires the children and the host to the rules, which live in
// modules that know nothing of it: navigation/ (the listing's rules and the file details),
// paths/ (path text and network volumes), appearance/ (layout arithmetic, font pixels, the
// colours drawn), about/ (the About dialog).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "appearance/layout.h"
#include "control/members.h"
#include "host/controls.h"
#include "host/host.h"
#include "host/property_bag.h"
#include "host/types.h"
#include "navigation/list_view.h"
#include "paths/network_volumes.h"

namespace selvane {

class Selvane final : private host::ChildEvents {
public:
    explicit Selvane(host::Host host);
    ~Selvane();
    Selvane(const Selvane&) = delete;
    Selvane& operator=(const Selvane&) = delete;

    // Lifecycle, in the order a host calls it: Initialize once, then InitProperties (a new
    // instance) or ReadProperties (saved settings); WriteProperties whenever it saves; Resize
    // whenever it sizes the control.
    void Initialize();
    void InitProperties();
    void ReadProperties(host::PropertyBag& bag);
    void WriteProperties(host::PropertyBag& bag);
    void Resize();

    // Methods.
    std::u16string GetPath();
    TruthValue FileSelected();
    std::u16string PathOnly(const std::u16string& str);
    TruthValue FileExists(const std::u16string& str);
    TruthValue DirExists(const std::u16string& str);
    std::int32_t SelectedCount();
    std::vector<std::u16string> SelectedFiles();
    void RefreshFiles();
    void Refresh();
    // Shows the About dialog modally; never fails.
    void AboutBox();

    // Properties.
    Color BackColor();
    void SetBackColor(Color color);
    std::u16string Path();
    void SetPath(const std::u16string& path);
    Color Label1Color();
    void SetLabel1Color(Color color);
    Color Label2Color();
    void SetLabel2Color(Color color);
    TruthValue Label1Bold();
    void SetLabel1Bold(TruthValue bold);
    TruthValue Label2Bold();
    void SetLabel2Bold(TruthValue bold);
    TruthValue DirOnly();
    void SetDirOnly(TruthValue dir_only);
    TruthValue Server();
    void SetServer(TruthValue server);
    TruthValue Tips();
    void SetTips(TruthValue tips);
    std::u16string FileType();
    void SetFileType(const std::u16string& pattern);
    TruthValue ShowHidden();
    void SetShowHidden(TruthValue show_hidden);
    std::int32_t MultiSelect();
    void SetMultiSelect(std::int32_t mode);
    std::int32_t SortOrder();
    void SetSortOrder(std::int32_t order);

private:
    // The children's events.
    void OnDrive1Change() override;
    void OnDir1Change() override;
    void OnText1Change() override;
    void OnCommand1Click() override;
    void OnList1Click() override;
    void OnList1DblClick() override;
    void OnFolderChanged() override;
    void OnWatchCheck() override;
    void OnRefreshKey() override { RefreshFiles(); }
    bool OnDropped(const std::u16string& path) override;
    void OnScaleChanged() override { Resize(); }
    // The drives that lead to servers' shares, for a path in server form.
    std::vector<paths::Connection> Connections();

    // Who a listing is for: the user or the host, who get the list they asked for from its
    // start, or the disk, which changed under the user and must not move what they look at.
    enum class Listing { kAnew, kFollowingDisk };
    void FillFileList(Listing listing = Listing::kAnew);
    // What the user sees of the file list and where their keyboard is, by name, as the new
    // names keep it; raising nothing.
    static list_view::KeptView KeepView(const host::ListBox& list, const std::vector<std::u16string>& names);
    // Puts the list's view back on those names, raising nothing.
    static void RestoreView(host::ListBox& list, const list_view::KeptView& kept);
    // Label2 shows the selected file's details, or nothing when they can't be read.
    void ShowSelectedDetails();
    // The surface watches the folder Dir1 shows, armed anew if its watch isn't live.
    host::WatchState WatchShownFolder();
    // Dir1 goes to the nearest folder above a shown one that has gone; the host hears of it.
    void ShowNearestParent(const std::u16string& gone);
    // The file list's scroll extent that fits the widest of the names in the list's font now.
    int FileListExtent(const std::vector<std::u16string>& names);
    std::u16string ServerPath();
    // The directory as GetPath names it: in server form when Server is set.
    std::u16string ShownDirectory();
    // Take a saved or assigned value to the lists, refusing one outside their range with 380.
    void ApplyMultiSelect(std::int32_t mode);
    void ApplySortOrder(std::int32_t order);
    // What loading a saved value does to the property, and the value it saves.
    void Load(members::Member member, const members::Value& value);
    members::Value Saved(members::Member member);
    void LoadPath(const std::u16string& path);
    void CaptureLayout();

    host::Surface& surface_;
    host::FileSystem& files_;
    host::Locale& locale_;
    host::Site& site_;
    host::Forms& forms_;
    host::Shell& shell_;

    TruthValue m_DirOnly = kFalse;
    TruthValue m_Server = kFalse;
    TruthValue m_Tips = kFalse;
    TruthValue m_ShowHidden = kFalse;
    NameOrder m_SortOrder = NameOrder::kPlain;
    std::vector<ControlLayout> m_Layout;
    float m_BaseWidth = 0;
    float m_BaseHeight = 0;

    // How many listings have run, so Initialize can tell whether its drive choice listed anything.
    std::uint64_t listings_ = 0;
    // While a Path put moves the drive list, the directory list's change lists nothing: the
    // folder asked for is listed next, once. owed: a change came meanwhile.
    bool listing_deferred_ = false;
    bool listing_owed_ = false;
    // The file list's font size when its scroll extent was last measured.
    float extent_font_size_ = -1;
};

}  // namespace selvane
