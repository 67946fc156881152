// Choosing a file: its details in the file information label, and the host's events.
#include "navigation/file_info.h"

#include "control/attempt.h"
#include "control/selvane.h"
#include "paths/path_text.h"

namespace selvane {
namespace file_info {

std::u16string GroupDigits(std::uint64_t value, const std::u16string& separator) {
    std::u16string text;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0) text.insert(0, separator);
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
        ++digits;
    } while (value > 0);
    return text;
}

std::u16string Describe(const LocalTime& modified, std::uint64_t length, const host::Locale& locale) {
    std::u16string when = locale.ShortDate(modified);
    if (modified.hour != 0 || modified.minute != 0 || modified.second != 0) when += u' ' + locale.LongTime(modified);
    return when + u"  " + GroupDigits(length, locale.ThousandsSeparator());
}

}  // namespace file_info

// The label shows the details, or nothing when the file can't be read (deleted since the
// listing, access denied, drive gone); the host hears of the click either way.
void Selvane::OnList1Click() {
    std::u16string details;
    attempt([&] {
        const std::u16string path = paths::DirectoryPrefix(surface_.Dir1().Path()) + surface_.List1().Text();
        const std::uint64_t length = files_.FileLength(path);
        const LocalTime modified = files_.LastWriteTime(path);
        details = file_info::Describe(modified, length, locale_);
    });
    attempt([&] { surface_.Label2().SetCaption(details); });
    attempt([&] { site_.RaiseClick(); });
}

void Selvane::OnList1DblClick() { site_.RaiseDblClick(); }

}  // namespace selvane
