#include "control/com/com_base.h"

#include <new>

#include "win32/win32_base.h"

namespace selvane::com {

BSTR ToBstr(const std::u16string& text) {
    BSTR result = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (!result) throw std::bad_alloc();
    return result;
}

namespace {

// " returned 0x80004002".
std::u16string Returned(HRESULT hr) {
    wchar_t code[24] = {};
    ::wsprintfW(code, L" returned 0x%08X", static_cast<unsigned>(hr));
    return win32::Utf16(code);
}

}  // namespace

HRESULT Traced(HRESULT hr, std::u16string_view what, const char* file, int line) noexcept {
    if (FAILED(hr)) {
        try {
            TraceWarning(file, line, std::u16string(what) + Returned(hr));
        } catch (...) {
            // No memory for the line: the trace has nowhere to go.
        }
    }
    return hr;
}

HRESULT CaughtFailure() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const RuntimeError& error) {
        return error.code() == errc::kOutOfMemory ? E_OUTOFMEMORY : HResultOf(error.code());
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT UnknownIdentifier(std::u16string_view asked, REFGUID guid, HRESULT answer, const char* file, int line) noexcept {
    try {
        wchar_t text[40] = {};
        ::StringFromGUID2(guid, text, 40);
        TraceWarning(file, line, std::u16string(asked) + u" " + win32::Utf16(text) + Returned(answer));
    } catch (...) {
        // No memory for the line: the trace has nowhere to go.
    }
    return answer;
}

HRESULT ReportError(HRESULT hr, const std::u16string& description, REFIID iid) noexcept {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(::CreateErrorInfo(create.put()))) return hr;
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(L"Selvane_OCX.Selvane"));
    const std::wstring text = win32::Wide(description);
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) ::SetErrorInfo(0, info.get());
    return hr;
}

HRESULT AnswerFailure(REFIID iid, const std::exception* e, const char* function, const char* file,
                      int line) noexcept {
    try {
        HRESULT hr = E_UNEXPECTED;
        RuntimeError error(errc::kIllegalFunctionCall);
        if (e && dynamic_cast<const std::bad_alloc*>(e)) {
            hr = E_OUTOFMEMORY;
            error = RuntimeError(errc::kOutOfMemory);
        } else if (e) {
            error = AsRuntimeError(*e);
            hr = HResultOf(error.code());
        }
        TraceReturned(function, file, line, error, static_cast<std::uint32_t>(hr));
        return e ? ReportError(hr, error.description(), iid) : hr;
    } catch (...) {
        return Traced(CaughtFailure(), u"answering a failure", file, line);
    }
}

}  // namespace selvane::com
