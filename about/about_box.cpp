// frmAboutBox and the AboutBox method.
#include "about/about_box.h"

#include <memory>

#include "about/product_page.h"
#include "host/attempt.h"

namespace selvane::about {
namespace {

using host::form::Kind;

// One dialog, made for one showing and released when it closes.
class AboutDialog final : private host::FormEvents {
public:
    AboutDialog(host::Forms& forms, host::Shell& shell) : shell_(shell), form_(forms.Create(AboutBoxDesign(), *this)) {}

    void ShowModal() { form_->ShowModal(); }

private:
    void OnClick(std::u16string_view control) override {
        if (control == u"Command1") {
            form_->Unload();
        } else if (control == u"Picture1") {
            OpenProductPage(shell_, form_->Handle());
        }
    }

    host::Shell& shell_;
    std::unique_ptr<host::Form> form_;
};

}  // namespace

host::form::Design AboutBoxDesign() {
    return host::form::Design{
        kCaption,
        2670,
        1440,
        {
            {u"Label1", Kind::kLabel, 120, 120, 2535, 255, 0, kNotice, u"", {}},
            {u"Command1", Kind::kCommandButton, 720, 840, 1215, 495, 1, kOkCaption, u"", {}},
            {u"Picture1", Kind::kPictureBox, 1080, 480, 495, 255, 2, u"", kLogoTip, LogoGif()},
        },
    };
}

// Nothing reaches the host from the About dialog, but for a trace line when it fails.
void AboutBox(host::Forms& forms, host::Shell& shell) noexcept {
    Contain([&] {
        AboutDialog dialog(forms, shell);
        dialog.ShowModal();
    });
}

}  // namespace selvane::about
