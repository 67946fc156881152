// What the COM layer shares: an owning interface pointer, BSTR conversions, and the one place
// where the logic's failures become HRESULTs with error information.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "host/error.h"
#include "host/property.h"
#include "host/types.h"
#include "win32/handles.h"

// Returns a failed HRESULT to the caller, and leaves a trace line naming the call that failed
// and where.
#define RETURN_IF_FAILED(expr)                                                          \
    do {                                                                                \
        const HRESULT returned_hr_ = (expr);                                            \
        if (FAILED(returned_hr_)) return ::selvane::com::Traced(returned_hr_, u"" #expr); \
    } while (0)

namespace selvane::com {

using win32::ComPtr;

inline std::u16string FromBstr(BSTR text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text)) : std::u16string();
}

// A new BSTR for the caller; throws std::bad_alloc when there is no memory for it.
BSTR ToBstr(const std::u16string& text);

// How each kind of property value travels through the _Selvane interface, and how it becomes
// the logic's own type and back. Truth values keep the number given, as the logic stores it.
template <host::ValueKind>
struct ComValue;
template <>
struct ComValue<host::ValueKind::kColor> {
    using Type = OLE_COLOR;
    static Type From(Color color) { return color; }
    static Color To(Type color) { return color; }
};
template <>
struct ComValue<host::ValueKind::kTruth> {
    using Type = VARIANT_BOOL;
    static Type From(TruthValue truth) { return truth; }
    static TruthValue To(Type truth) { return truth; }
};
template <>
struct ComValue<host::ValueKind::kNumber> {
    using Type = LONG;
    static Type From(std::int32_t number) { return number; }
    static std::int32_t To(Type number) { return number; }
};
template <>
struct ComValue<host::ValueKind::kText> {
    using Type = BSTR;
    static Type From(const std::u16string& text) { return ToBstr(text); }
    static std::u16string To(Type text) { return FromBstr(text); }
};

// The HRESULT of a run-time error number: facility control with the number (CTL_E_PATHNOTFOUND for 76).
inline HRESULT HResultOf(std::int32_t code) {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<unsigned>(code) & 0xFFFF);
}

// The run-time error of a value the automation layer couldn't convert (VariantChangeType's answer).
inline std::int32_t ConversionError(HRESULT hr) {
    return hr == DISP_E_OVERFLOW ? errc::kOverflow : hr == E_OUTOFMEMORY ? errc::kOutOfMemory : errc::kTypeMismatch;
}

// hr; a failure also leaves a trace line at file:line, "<what> returned <hr>", for a code that
// is passed on or over without going through Guard.
HRESULT Traced(HRESULT hr, std::u16string_view what, const char* file = __builtin_FILE(),
               int line = __builtin_LINE()) noexcept;

// Inside a catch, what the failure being handled is: E_OUTOFMEMORY for memory that ran out, the
// control's run-time error as its HRESULT, E_UNEXPECTED for anything else.
HRESULT CaughtFailure() noexcept;

// answer, and a trace line at file:line, "<asked> <guid> returned <answer>", as Wine's WARN
// leaves one for an unsupported interface: an identifier asked of the library (an interface of
// QueryInterface or FindConnectionPoint, a class of DllGetClassObject) that it doesn't know.
HRESULT UnknownIdentifier(std::u16string_view asked, REFGUID guid, HRESULT answer = E_NOINTERFACE,
                          const char* file = __builtin_FILE(), int line = __builtin_LINE()) noexcept;

// Gives the thread's error information the description, for the interface that failed. Returns hr.
HRESULT ReportError(HRESULT hr, const std::u16string& description, REFIID iid) noexcept;

// What a call into the control answers when it failed with e (nullptr: not a std::exception):
// the failure's HRESULT, with error information and a trace line naming the call.
HRESULT AnswerFailure(REFIID iid, const std::exception* e, const char* function, const char* file,
                      int line) noexcept;

// Runs a call into the control at a COM boundary: a failure becomes its HRESULT, with error
// information carrying the run-time error's description, and a trace line naming the call.
template <class Action>
HRESULT Guard(REFIID iid, Action&& action, const char* function = __builtin_FUNCTION(),
              const char* file = __builtin_FILE(), int line = __builtin_LINE()) noexcept {
    try {
        std::forward<Action>(action)();
        return S_OK;
    } catch (const std::exception& e) {
        return AnswerFailure(iid, &e, function, file, line);
    } catch (...) {
        return AnswerFailure(iid, nullptr, function, file, line);
    }
}

}  // namespace selvane::com
