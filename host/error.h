// Run-time errors: how every host operation reports failure to the logic.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace selvane {

// Codes are the standard control error numbers (CTL_E_* of olectl.h carry them in their low word).
namespace errc {
inline constexpr std::int32_t kIllegalFunctionCall = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kDivisionByZero = 11;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kBadFileName = 52;
inline constexpr std::int32_t kFileNotFound = 53;
inline constexpr std::int32_t kFileAlreadyExists = 58;
inline constexpr std::int32_t kDeviceUnavailable = 68;
inline constexpr std::int32_t kPermissionDenied = 70;
inline constexpr std::int32_t kDiskNotReady = 71;
inline constexpr std::int32_t kPathNotFound = 76;
inline constexpr std::int32_t kInvalidUseOfNull = 94;
inline constexpr std::int32_t kInvalidPropertyValue = 380;
inline constexpr std::int32_t kInvalidPropertyArrayIndex = 381;
inline constexpr std::int32_t kMemberNotSupported = 438;
inline constexpr std::int32_t kInvalidPicture = 481;
}  // namespace errc

class RuntimeError : public std::exception {
public:
    // Uses the standard description of the code.
    explicit RuntimeError(std::int32_t code);
    RuntimeError(std::int32_t code, std::u16string description);

    std::int32_t code() const noexcept { return code_; }
    const std::u16string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return narrow_.c_str(); }

    // The system's own code the error stands for (a Win32 error or an HRESULT), or 0: several
    // system codes map to one control error number, and a trace wants the one that happened.
    std::uint32_t system_code() const noexcept { return system_code_; }
    RuntimeError& WithSystemCode(std::uint32_t code) noexcept {
        system_code_ = code;
        return *this;
    }

private:
    std::int32_t code_;
    std::u16string description_;
    std::string narrow_;
    std::uint32_t system_code_ = 0;
};

// The standard description of a code ("Path not found" for 76), or a generic one.
std::u16string DescribeError(std::int32_t code);

// Any exception seen at a skip-on-error step, as the run-time error it stands for.
RuntimeError AsRuntimeError(const std::exception& e);

[[noreturn]] void Raise(std::int32_t code);

// Failures that are passed over on purpose (a skipped step) can be told to a listener, one
// line each, for whoever looks into why something didn't happen. Nobody listens by default;
// the Windows host listens when asked to (see win32/win32_base.h).
using TraceListener = void (*)(const std::u16string& line);
void SetTraceListener(TraceListener listener) noexcept;
// Tells the listener, if any, that the step at file:line was skipped for the error.
void TraceSkipped(const char* file, int line, const RuntimeError& error) noexcept;
// Tells the listener, if any, that the call into the control named by function, at file:line,
// failed with the error and answered its caller with the code returned (an HRESULT).
void TraceReturned(const char* function, const char* file, int line, const RuntimeError& error,
                   std::uint32_t returned) noexcept;
// Tells the listener, if any, of a failure at file:line that is no run-time error of the
// control's and is passed on or over: a code a system call or a container's object returned,
// an interface asked for that the library doesn't have. what says which, in a few words.
void TraceWarning(const char* file, int line, std::u16string_view what) noexcept;

}  // namespace selvane
