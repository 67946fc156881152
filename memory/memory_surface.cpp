#include "memory/memory_surface.h"

#include <utility>

#include "host/error.h"

namespace selvane::memory {
namespace {

template <class Child>
host::ChildControl* Keep(std::unique_ptr<Child>& slot, std::unique_ptr<Child> child) {
    slot = std::move(child);
    return slot.get();
}

}  // namespace

MemorySurface::MemorySurface(MemoryFileSystem& fs, char16_t start_drive, std::u16string start_directory)
    : fs_(fs) {
    for (const design::Child& record : design::kChildren) {
        host::ChildControl* child = nullptr;
        switch (record.kind) {
        case design::Kind::kButton:
            child = Keep(command1_, std::make_unique<MemoryButton>(&sink_, record));
            break;
        case design::Kind::kTextBox:
            child = Keep(text1_, std::make_unique<MemoryTextBox>(&sink_, record));
            break;
        case design::Kind::kListBox:
            child = Keep(list1_, std::make_unique<MemoryListBox>(&sink_, record));
            break;
        case design::Kind::kDirList:
            child = Keep(dir1_,
                         std::make_unique<MemoryDirList>(fs, std::move(start_directory), &sink_, record));
            break;
        case design::Kind::kDriveList:
            child = Keep(drive1_, std::make_unique<MemoryDriveList>(fs, start_drive, &sink_, record));
            break;
        case design::Kind::kLabel:
            child = Keep(record.name == u"Label1" ? label1_ : label2_,
                         std::make_unique<MemoryLabel>(record, &sink_));
            break;
        }
        children_.push_back(child);
    }
}

MemorySurface::~MemorySurface() { fs_.StopWatch(watch_); }

host::WatchState MemorySurface::WatchFolder(const std::u16string& folder) {
    if (folder != watched_folder_) {
        watched_folder_ = folder;
        fs_.StopWatch(watch_);
        watch_ = 0;
    }
    return UpdateWatch();
}

void MemorySurface::SetShown(bool shown) {
    shown_ = shown;
    UpdateWatch();
}

host::WatchState MemorySurface::UpdateWatch() {
    if (!shown_ || watched_folder_.empty()) {
        fs_.StopWatch(watch_);
        watch_ = 0;
        return host::WatchState::kNone;
    }
    if (watch_ != 0 && fs_.WatchHolds(watch_)) return host::WatchState::kLive;
    fs_.StopWatch(watch_);
    watch_ = fs_.StartWatch(watched_folder_);
    if (watch_ != 0) return host::WatchState::kArmedAnew;
    // Gone only when the drive answers so; a drive that can't be read says nothing of it.
    try {
        fs_.ResolveDirectory(watched_folder_);
    } catch (const RuntimeError& error) {
        if (error.code() == errc::kPathNotFound) return host::WatchState::kGone;
    }
    return host::WatchState::kNone;
}

bool MemorySurface::CheckWatch() {
    if (!shown_ || watched_folder_.empty() || sink_ == nullptr) return false;
    sink_->OnWatchCheck();
    return true;
}

bool MemorySurface::Pump() {
    if (watch_ == 0 || !fs_.TakeChange(watch_)) return false;
    ++folder_changes_;
    if (sink_ != nullptr) sink_->OnFolderChanged();
    return true;
}

void MemorySurface::SetBackColor(Color color) {
    CheckColor(color);
    back_color_ = color;
    ++background_paints_;
}

void MemorySurface::SetSize(float width, float height) {
    width_ = width;
    height_ = height;
}

host::ChildControl& MemorySurface::Control(int index) {
    if (index < 0 || index >= ControlCount()) Raise(errc::kInvalidPropertyArrayIndex);
    return *children_[static_cast<std::size_t>(index)];
}

}  // namespace selvane::memory
