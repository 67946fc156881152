// The seven children of the control's surface: the operations the logic performs on them.
// Every operation may fail with a RuntimeError; a put takes effect at once.
#pragma once

#include <string>
#include <vector>

#include "host/drive_entry.h"
#include "host/types.h"
#include "paths/path_text.h"

namespace selvane::host {

// What every child offers through the surface's collection. Geometry is in twips and font
// sizes in points, both as single-precision numbers; turning them into device units is the
// child's own business. A child that lacks a member fails that access.
class ChildControl {
public:
    virtual ~ChildControl() = default;

    virtual std::u16string Name() const = 0;

    virtual float Left() const = 0;
    virtual float Top() const = 0;
    virtual float Width() const = 0;
    virtual float Height() const = 0;
    virtual void SetLeft(float twips) = 0;
    virtual void SetTop(float twips) = 0;
    virtual void SetWidth(float twips) = 0;
    virtual void SetHeight(float twips) = 0;
    // The four at once, in one move of the window. A child that refuses one of them fails, having
    // taken those before it.
    virtual void Move(float left, float top, float width, float height) {
        SetLeft(left);
        SetTop(top);
        SetWidth(width);
        SetHeight(height);
    }

    virtual float FontSize() const = 0;
    virtual void SetFontSize(float points) = 0;

    // An empty text removes the tip.
    virtual void SetToolTipText(const std::u16string& text) = 0;
};

// Drive1. Entries read "c:", "c: [label]" or "x: [\\server\share]" (DriveEntry::Text).
class DriveList : public ChildControl {
public:
    // Text of the selected entry.
    virtual std::u16string Drive() const = 0;
    // Selects the drive named by the first character (case ignored) and raises Change when the
    // selection moves. A letter without a drive fails and keeps the selection.
    virtual void SetDrive(const std::u16string& drive) = 0;
    // The drives as the list shows them, in letter order, read from the system once for this
    // call: a caller that needs several answers asks once and keeps the list.
    virtual std::vector<DriveEntry> Entries() const = 0;
};

// Dir1.
class DirList : public ChildControl {
public:
    // Full path of the current directory; ends in "\" only at a drive root.
    virtual std::u16string Path() const = 0;
    // Makes the directory current (a relative path is taken from the current one) and raises
    // Change when the path changes. A directory that can't be reached fails and keeps the path.
    // The path comes parsed: the caller has read it already.
    virtual void SetPath(const paths::ParsedPath& path) = 0;
    // Reads the current directory's sub-folders again, keeping the path; raises no Change.
    virtual void Reread() = 0;
    // Shows the sub-folders in that order from now on, at once, without reading them again: the
    // highlighted folder and the top entry stay.
    virtual void SetOrder(NameOrder order) = 0;
};

// The longest text the pattern box shows and lets the user edit. Names stop at 255 units, so no
// pattern anyone types comes near it; longer text comes only from a program or a saved form. The
// box keeps such a text whole and shows its start, and refuses typing while it does, so that an
// edit of the part shown can't silently drop the rest. A shorter text makes it editable again.
inline constexpr std::size_t kLongestShownText = 1024;

// Text1: the file pattern. Like an edit control, it holds text up to its first NUL.
class TextBox : public ChildControl {
public:
    virtual std::u16string Text() const = 0;
    // Raises Change when the text differs from the current one.
    virtual void SetText(const std::u16string& text) = 0;
};

// Command1: "&All".
class Button : public ChildControl {};

// List1: a sorted list of file names.
class ListBox : public ChildControl {
public:
    // Makes the list hold exactly the names, each in its place in the list's own sorted order,
    // with nothing selected, the first entry at the top and the keyboard caret on it, and
    // sideways scrolling as far as `extent` pixels: what clearing and filling it leaves. The
    // list on screen changes once. A name that can't be added is left out. Given again what it
    // holds (Holds), the list keeps its entries as they stand on screen and only drops the
    // selection, scrolls to the top and puts the caret back on the first entry.
    virtual void Replace(std::vector<std::u16string> names, int extent) = 0;
    // Whether the list holds exactly these names, given in this order by the last Replace, with
    // this extent, and changed by nothing else since.
    virtual bool Holds(const std::vector<std::u16string>& names, int extent) const = 0;
    // The index of the entry whose text is exactly `name` (case counts), or -1.
    virtual int Find(const std::u16string& name) const = 0;
    // The entry shown first, at the top of the list.
    virtual int TopIndex() const = 0;
    // Scrolls the entry to the top, as far as the list scrolls: near the end, the last page
    // stays full.
    virtual void SetTopIndex(int index) = 0;
    // The entry with the keyboard caret, which the arrow keys move from; in a list that chooses
    // one entry, it is the selected entry while there is one.
    virtual int CaretIndex() const = 0;
    // Puts the caret on the entry, choosing nothing. A list that chooses one entry takes a caret
    // of its own only while nothing is selected, and fails otherwise.
    virtual void SetCaretIndex(int index) = 0;
    virtual int ListCount() const = 0;
    virtual std::u16string List(int index) const = 0;
    // Text of the entry with the caret when it is chosen (in a list that chooses one entry, the
    // selected entry); empty when it isn't.
    virtual std::u16string Text() const = 0;
    // How many entries are chosen.
    virtual int SelCount() const = 0;
    // The chosen entries, in the list's order.
    virtual std::vector<int> SelectedIndices() const = 0;
    // Selects the entry as a program does, not as the user does: the list raises no Click.
    // The caret moves with it; in a list that chooses several, the others stay chosen. An
    // index outside the list fails (381).
    virtual void Select(int index) = 0;
    // How the user chooses from now on. The entries, the caret and the top entry stay, and so
    // do the chosen entries, but for a list that is to choose one: the caret's entry alone
    // stays chosen, when it was.
    virtual SelectionMode Selection() const = 0;
    virtual void SetSelection(SelectionMode mode) = 0;
    // Shows the entries in that order from now on, at once: the chosen entries, the caret and the
    // top entry stay. Holds still answers for the names the last Replace gave.
    virtual void SetOrder(NameOrder order) = 0;
    // Width of the text in pixels, drawn in the list's own current font.
    virtual int TextWidth(const std::u16string& text) const = 0;
    // How far the list scrolls sideways, in pixels.
    virtual void SetHorizontalExtent(int pixels) = 0;
};

// Label1 and Label2; each has a font of its own.
class Label : public ChildControl {
public:
    virtual std::u16string Caption() const = 0;
    virtual void SetCaption(const std::u16string& caption) = 0;
    virtual Color ForeColor() const = 0;
    virtual void SetForeColor(Color color) = 0;
    virtual TruthValue FontBold() const = 0;
    virtual void SetFontBold(TruthValue bold) = 0;
};

// Where the children's events go. Each is raised synchronously, inside the operation
// (a user's action or a put) that caused it.
class ChildEvents {
public:
    virtual void OnDrive1Change() = 0;
    virtual void OnDir1Change() = 0;
    virtual void OnText1Change() = 0;
    virtual void OnCommand1Click() = 0;
    virtual void OnList1Click() = 0;
    // A double click on an entry of the file list; one in the empty space below them is none.
    virtual void OnList1DblClick() = 0;
    // Files or sub-folders of the folder the surface watches (Surface::WatchFolder) were added,
    // removed or renamed, or the folder itself went. Unlike the others it comes by itself, from
    // the surface's own message loop, once for a burst of changes.
    virtual void OnFolderChanged() = 0;
    // Comes every second or so while a folder is watched and the surface shown (see
    // Surface::WatchFolder), so that a watch lost or never armed is armed again.
    virtual void OnWatchCheck() = 0;
    // The user asked for the folder to be listed again (F5 while a child has the focus).
    virtual void OnRefreshKey() = 0;
    // The user dropped a file or a folder (its full path) onto the control; answers whether the
    // control took it.
    virtual bool OnDropped(const std::u16string& path) = 0;
    // The surface is shown at another resolution now (a host aware of each monitor's scale
    // moved it to another monitor): the children are to be laid out again in its pixels.
    virtual void OnScaleChanged() = 0;

protected:
    ~ChildEvents() = default;
};

}  // namespace selvane::host
