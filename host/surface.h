// The control's own surface, which holds the seven children.
#pragma once

#include <string>

#include "host/controls.h"
#include "host/types.h"

namespace selvane::host {

// How the watch stands once Surface::WatchFolder has looked at it.
enum class WatchState {
    kLive,       // it runs on the folder now at the path, as it did
    kArmedAnew,  // armed just now: what changed before is in no notification
    kNone,       // none runs: no folder, the surface hidden, or the folder can't be watched now
    kGone,       // none runs: the folder's drive answers that no folder is at the path (the folder
                 // removed or moved, a folder above it renamed or removed, the drive itself gone
                 // or leading elsewhere)
};

class Surface {
public:
    virtual ~Surface() = default;

    virtual Color BackColor() const = 0;
    // Repaints the background.
    virtual void SetBackColor(Color color) = 0;

    // Inner size in twips.
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;

    // The children in the surface's own order: Command1, Text1, List1, Dir1, Drive1, Label2, Label1.
    virtual int ControlCount() const = 0;
    virtual ChildControl& Control(int index) = 0;

    virtual DriveList& Drive1() = 0;
    virtual DirList& Dir1() = 0;
    virtual TextBox& Text1() = 0;
    virtual Button& Command1() = 0;
    virtual ListBox& List1() = 0;
    virtual Label& Label1() = 0;
    virtual Label& Label2() = 0;

    // Repaints the surface and its children at once.
    virtual void Refresh() = 0;

    // The children's events go to the sink from now on; nullptr stops them.
    virtual void Connect(ChildEvents* sink) = 0;

    // The folder whose names the surface watches from now on, replacing the one before; empty
    // watches none. The watch runs only while the surface is shown, and reports through the
    // sink's OnFolderChanged. Asked again for the same folder, the surface arms the watch anew
    // when it isn't running, or when the folder at the path is no longer the one it watches
    // (renamed away and another made in its place, its drive gone and back). A folder the
    // system can't watch now (gone, a drive without its medium, a server without change
    // notification) is not watched: no error. While a folder is wanted and the surface shown,
    // the sink's OnWatchCheck comes when the watch may no longer hold: soon after the folder or
    // a folder above it is renamed or removed, or the drive is made to lead elsewhere, where the
    // system tells of it, and otherwise within ten seconds or so; while no watch runs, as soon as
    // the folder answers.
    virtual WatchState WatchFolder(const std::u16string& folder) = 0;
};

}  // namespace selvane::host
