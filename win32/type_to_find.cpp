#include "win32/type_to_find.h"

#include <string>

namespace selvane::win32 {

// Characters typed within twice the double-click time of each other (a second unless the user
// changed it) make one text, about as long as Explorer and the common dialogs wait; a user who
// needs longer for a double click needs longer between keys too.
bool TypeToFind::OnChar(HWND list, wchar_t typed) {
    if (typed < L' ' || typed == 0x7F || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return false;
    typed_.Add(static_cast<char16_t>(typed), ::GetTickCount64(), 2ull * ::GetDoubleClickTime());
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    // A list that chooses several goes from its caret, and moves it as an arrow key does: a list
    // that extends chooses the entry alone, one that toggles chooses nothing.
    const auto style = ::GetWindowLongW(list, GWL_STYLE);
    const bool extends = (style & LBS_EXTENDEDSEL) != 0;
    const bool several = extends || (style & LBS_MULTIPLESEL) != 0;
    const LRESULT chosen = ::SendMessageW(list, several ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
    const int current = chosen == LB_ERR ? -1 : static_cast<int>(chosen);
    std::wstring text;
    // As the list compares its entries: the user's locale, case ignored.
    const auto starts_with = [&](std::size_t index, const std::u16string& sought) {
        const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, index, 0);
        if (length == LB_ERR || static_cast<std::size_t>(length) < sought.size()) return false;
        text.assign(static_cast<std::size_t>(length) + 1, L'\0');
        if (::SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data())) == LB_ERR) return false;
        return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), static_cast<int>(sought.size()),
                                reinterpret_cast<const wchar_t*>(sought.c_str()),
                                static_cast<int>(sought.size())) == CSTR_EQUAL;
    };
    const auto found = typing::Find(count == LB_ERR ? 0 : static_cast<std::size_t>(count), current,
                                    typed_.FromNext(), typed_.Sought(), starts_with);
    if (!found || static_cast<int>(*found) == current) return true;
    if (several) {
        if (extends) {
            ::SendMessageW(list, LB_SETSEL, FALSE, -1);
            ::SendMessageW(list, LB_SETSEL, TRUE, static_cast<LPARAM>(*found));
            ::SendMessageW(list, LB_SETANCHORINDEX, *found, 0);
        }
        ::SendMessageW(list, LB_SETCARETINDEX, *found, FALSE);
        if (!extends) return true;
    } else {
        ::SendMessageW(list, LB_SETCURSEL, *found, 0);
    }
    ::SendMessageW(::GetParent(list), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    return true;
}

}  // namespace selvane::win32
