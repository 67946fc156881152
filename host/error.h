// Run-time errors: how every host operation reports failure to the logic.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

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

private:
    std::int32_t code_;
    std::u16string description_;
    std::string narrow_;
};

// The standard description of a code ("Path not found" for 76), or a generic one.
std::u16string DescribeError(std::int32_t code);

// Any exception seen at a skip-on-error step, as the run-time error it stands for.
RuntimeError AsRuntimeError(const std::exception& e);

[[noreturn]] void Raise(std::int32_t code);

}  // namespace selvane
