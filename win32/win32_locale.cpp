#include "win32/win32_locale.h"

#include <vector>

#include "win32/win32_base.h"

namespace selvane::win32 {
namespace {

SYSTEMTIME ToSystemTime(const LocalTime& time) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(time.year);
    st.wMonth = static_cast<WORD>(time.month);
    st.wDay = static_cast<WORD>(time.day);
    st.wHour = static_cast<WORD>(time.hour);
    st.wMinute = static_cast<WORD>(time.minute);
    st.wSecond = static_cast<WORD>(time.second);
    return st;
}

// Calls a formatting function that takes (buffer, size) twice: once for the size, once for the text.
template <typename Format>
std::u16string Formatted(Format format) {
    const int needed = format(nullptr, 0);
    if (needed <= 0) RaiseLastError();
    std::vector<wchar_t> buffer(static_cast<std::size_t>(needed));
    const int written = format(buffer.data(), needed);
    if (written <= 0) RaiseLastError();
    return Utf16(buffer.data(), static_cast<std::size_t>(written - 1));
}

}  // namespace

std::u16string Win32Locale::ShortDate(const LocalTime& time) const {
    const SYSTEMTIME st = ToSystemTime(time);
    return Formatted([&](wchar_t* out, int size) {
        return ::GetDateFormatW(locale_, DATE_SHORTDATE, &st, nullptr, out, size);
    });
}

std::u16string Win32Locale::LongTime(const LocalTime& time) const {
    const SYSTEMTIME st = ToSystemTime(time);
    return Formatted([&](wchar_t* out, int size) { return ::GetTimeFormatW(locale_, 0, &st, nullptr, out, size); });
}

std::u16string Win32Locale::ThousandsSeparator() const {
    return Formatted([&](wchar_t* out, int size) { return ::GetLocaleInfoW(locale_, LOCALE_STHOUSAND, out, size); });
}

std::u16string Win32Locale::ToLower(const std::u16string& text) const {
    std::wstring copy = Wide(text);
    if (!copy.empty()) ::CharLowerBuffW(copy.data(), static_cast<DWORD>(copy.size()));
    return Utf16(copy);
}

std::u16string Win32Locale::ToUpper(const std::u16string& text) const {
    std::wstring copy = Wide(text);
    if (!copy.empty()) ::CharUpperBuffW(copy.data(), static_cast<DWORD>(copy.size()));
    return Utf16(copy);
}

}  // namespace selvane::win32
