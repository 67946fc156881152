#include "control/selvane.h"

#include "about/about_box.h"
#include "control/members.h"
#include "host/attempt.h"

namespace selvane {

Selvane::Selvane(host::Host host)
    : surface_(host.surface), files_(host.files), locale_(host.locale), site_(host.site),
      forms_(host.forms), shell_(host.shell) {
    surface_.Connect(this);
}

Selvane::~Selvane() { surface_.Connect(nullptr); }

void Selvane::Initialize() {
    CaptureLayout();

    // Start on the drive of the default path. When the drive list already shows it, no change
    // is raised and nothing would be listed: list the directory shown, so the file list and
    // its count always match it.
    const auto listings_before = listings_;
    attempt([&] { surface_.Drive1().SetDrive(std::u16string(members::kPath.default_text.substr(0, 2))); });
    if (listings_ == listings_before) FillFileList();
}

void Selvane::AboutBox() { about::AboutBox(forms_, shell_); }

TruthValue Selvane::DirOnly() { return m_DirOnly; }

void Selvane::SetDirOnly(TruthValue dir_only) {
    m_DirOnly = dir_only;
    site_.PropertyChanged(members::kDirOnly);
}

TruthValue Selvane::Server() { return m_Server; }

void Selvane::SetServer(TruthValue server) {
    m_Server = server;
    site_.PropertyChanged(members::kServer);
}

TruthValue Selvane::ShowHidden() { return m_ShowHidden; }

// Takes effect at the next listing; the list shown stays as it is.
void Selvane::SetShowHidden(TruthValue show_hidden) {
    m_ShowHidden = show_hidden;
    site_.PropertyChanged(members::kShowHidden);
}

std::u16string Selvane::FileType() { return surface_.Text1().Text(); }

// The pattern box raises its change, and the files are listed anew, before the notification.
void Selvane::SetFileType(const std::u16string& pattern) {
    surface_.Text1().SetText(pattern);
    site_.PropertyChanged(members::kFileType);
}

}  // namespace selvane
