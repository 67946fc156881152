// The control's surface in memory, built as designed, with counters for what it repainted.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "memory/memory_controls.h"
#include "memory/memory_file_system.h"
#include "host/surface.h"

namespace selvane::memory {

class MemorySurface : public host::Surface {
public:
    explicit MemorySurface(MemoryFileSystem& fs, char16_t start_drive = u'c',
                           std::u16string start_directory = u"c:\\");
    ~MemorySurface() override;
    // The children keep a pointer to the surface's sink, so the surface stays where it is.
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;

    Color BackColor() const override { return back_color_; }
    void SetBackColor(Color color) override;

    float ScaleWidth() const override { return width_; }
    float ScaleHeight() const override { return height_; }
    // The container resized the control.
    void SetSize(float width, float height);

    int ControlCount() const override { return static_cast<int>(children_.size()); }
    host::ChildControl& Control(int index) override;

    MemoryDriveList& Drive1() override { return *drive1_; }
    MemoryDirList& Dir1() override { return *dir1_; }
    MemoryTextBox& Text1() override { return *text1_; }
    MemoryButton& Command1() override { return *command1_; }
    MemoryListBox& List1() override { return *list1_; }
    MemoryLabel& Label1() override { return *label1_; }
    MemoryLabel& Label2() override { return *label2_; }

    void Refresh() override { ++refresh_count_; }
    void Connect(host::ChildEvents* sink) override { sink_ = sink; }
    host::WatchState WatchFolder(const std::u16string& folder) override;

    // Shown in its container, or hidden (withdrawn, deactivated). A surface starts shown; the
    // folder is watched only while it is.
    void SetShown(bool shown);
    // What the surface's message loop does when it gets its turn, standing for the real
    // surface's short timer: changes to the watched folder since the last pump reach the sink
    // as one OnFolderChanged. Whether they did.
    bool Pump();
    // What the real surface's periodic check does: the sink's OnWatchCheck, while a folder is
    // wanted and the surface shown. Whether it came.
    bool CheckWatch();
    bool watching() const { return watch_ != 0; }
    int folder_changes() const { return folder_changes_; }

    int refresh_count() const { return refresh_count_; }
    int background_paints() const { return background_paints_; }

private:
    // Starts or stops the file system's watch to match the folder and whether it is shown.
    host::WatchState UpdateWatch();

    MemoryFileSystem& fs_;
    std::u16string watched_folder_;
    bool shown_ = true;
    int watch_ = 0;
    int folder_changes_ = 0;
    host::ChildEvents* sink_ = nullptr;
    Color back_color_ = kButtonFaceColor;
    float width_ = design::kSurfaceWidth;
    float height_ = design::kSurfaceHeight;
    int refresh_count_ = 0;
    int background_paints_ = 0;

    std::unique_ptr<MemoryButton> command1_;
    std::unique_ptr<MemoryTextBox> text1_;
    std::unique_ptr<MemoryListBox> list1_;
    std::unique_ptr<MemoryDirList> dir1_;
    std::unique_ptr<MemoryDriveList> drive1_;
    std::unique_ptr<MemoryLabel> label2_;
    std::unique_ptr<MemoryLabel> label1_;
    std::vector<host::ChildControl*> children_;  // in the designed order
};

}  // namespace selvane::memory
