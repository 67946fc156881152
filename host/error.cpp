#include "host/error.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace selvane {
namespace {

std::string Narrow(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace

RuntimeError::RuntimeError(std::int32_t code) : RuntimeError(code, DescribeError(code)) {}

RuntimeError::RuntimeError(std::int32_t code, std::u16string description)
    : code_(code), description_(std::move(description)), narrow_(Narrow(description_)) {}

std::u16string DescribeError(std::int32_t code) {
    switch (code) {
    case errc::kIllegalFunctionCall: return u"Invalid procedure call or argument";
    case errc::kOverflow: return u"Overflow";
    case errc::kOutOfMemory: return u"Out of memory";
    case errc::kDivisionByZero: return u"Division by zero";
    case errc::kTypeMismatch: return u"Type mismatch";
    case errc::kBadFileName: return u"Bad file name or number";
    case errc::kFileNotFound: return u"File not found";
    case errc::kFileAlreadyExists: return u"File already exists";
    case errc::kDeviceUnavailable: return u"Device unavailable";
    case errc::kPermissionDenied: return u"Permission denied";
    case errc::kDiskNotReady: return u"Disk not ready";
    case errc::kPathNotFound: return u"Path not found";
    case errc::kInvalidUseOfNull: return u"Invalid use of Null";
    case errc::kInvalidPropertyValue: return u"Invalid property value";
    case errc::kInvalidPropertyArrayIndex: return u"Invalid property array index";
    case errc::kMemberNotSupported: return u"Object doesn't support this property or method";
    case errc::kInvalidPicture: return u"Invalid picture";
    default: return u"Application-defined or object-defined error";
    }
}

RuntimeError AsRuntimeError(const std::exception& e) {
    if (auto* error = dynamic_cast<const RuntimeError*>(&e)) return *error;
    if (dynamic_cast<const std::bad_alloc*>(&e)) return RuntimeError(errc::kOutOfMemory);
    return RuntimeError(errc::kIllegalFunctionCall);
}

void Raise(std::int32_t code) { throw RuntimeError(code); }

namespace {
std::atomic<TraceListener> g_trace_listener{nullptr};
}  // namespace

void SetTraceListener(TraceListener listener) noexcept { g_trace_listener.store(listener); }

namespace {

// The file's last two components (control/selvane_path.cpp) say enough.
std::string ShortFileName(const char* file) {
    std::string where = file ? file : "?";
    const std::size_t last = where.find_last_of("/\\");
    if (last != std::string::npos && last > 0) {
        const std::size_t folder = where.find_last_of("/\\", last - 1);
        if (folder != std::string::npos) where.erase(0, folder + 1);
    }
    return where;
}

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// "<head>: error 76 (Path not found), system code 0x00000003", to the listener.
void Tell(TraceListener listener, const std::string& head, const RuntimeError& error) {
    char detail[64];
    std::snprintf(detail, sizeof(detail), ": error %d", static_cast<int>(error.code()));
    std::u16string text = Widen(head + detail) + u" (" + error.description() + u")";
    if (error.system_code() != 0) {
        std::snprintf(detail, sizeof(detail), ", system code 0x%08X", static_cast<unsigned>(error.system_code()));
        text += Widen(detail);
    }
    listener(text);
}

}  // namespace

// A trace that fails (no memory for its line) has nowhere to be told: the tracing functions
// drop it rather than fail the call they trace.
void TraceSkipped(const char* file, int line, const RuntimeError& error) noexcept {
    const TraceListener listener = g_trace_listener.load();
    if (listener == nullptr) return;
    try {
        Tell(listener, "selvane: skipped at " + ShortFileName(file) + ":" + std::to_string(line), error);
    } catch (...) {
    }
}

void TraceWarning(const char* file, int line, std::u16string_view what) noexcept {
    const TraceListener listener = g_trace_listener.load();
    if (listener == nullptr) return;
    try {
        listener(Widen("selvane: warning at " + ShortFileName(file) + ":" + std::to_string(line) + ": ") +
                 std::u16string(what));
    } catch (...) {
    }
}

void TraceReturned(const char* function, const char* file, int line, const RuntimeError& error,
                   std::uint32_t returned) noexcept {
    const TraceListener listener = g_trace_listener.load();
    if (listener == nullptr) return;
    try {
        char code[16];
        std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(returned));
        Tell(listener,
             std::string("selvane: ") + (function ? function : "?") + " returned " + code + " at " +
                 ShortFileName(file) + ":" + std::to_string(line),
             error);
    } catch (...) {
    }
}

}  // namespace selvane
