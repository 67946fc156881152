#include "tests/fuzz/worker_win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace selvane::fuzz {
namespace {

// Appends text or a number in hex to a fixed buffer: the crash handler allocates nothing, since
// the heap may be what broke.
struct Line {
    char text[512];
    std::size_t size = 0;

    void Add(const char* more) {
        while (*more && size + 1 < sizeof(text)) text[size++] = *more++;
        text[size] = '\0';
    }
    void AddHex(ULONG_PTR value) {
        char digits[2 + 2 * sizeof(value) + 1] = "0x";
        for (int i = 2 * static_cast<int>(sizeof(value)) - 1; i >= 0; --i, value >>= 4) {
            digits[2 + i] = "0123456789ABCDEF"[value & 0xF];
        }
        digits[sizeof(digits) - 1] = '\0';
        Add(digits);
    }
};

// Names the exception and where it happened on stderr, then ends the process with the exception
// code as its exit code: no debugger starts, and the supervisor sees the crash at once.
LONG WINAPI EndAtOnce(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    Line line;
    line.Add("exception ");
    line.AddHex(record.ExceptionCode);
    line.Add(" at ");
    line.AddHex(reinterpret_cast<ULONG_PTR>(record.ExceptionAddress));
    HMODULE module = nullptr;
    char name[MAX_PATH] = {};
    bool in_text_shaping = false;
    if (::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCSTR>(record.ExceptionAddress), &module) &&
        ::GetModuleFileNameA(module, name, MAX_PATH)) {
        const char* base = std::strrchr(name, '\\');
        in_text_shaping = ::lstrcmpiA(base ? base + 1 : name, "gdi32.dll") == 0;
        line.Add(" (");
        line.Add(base ? base + 1 : name);
        line.Add("+");
        line.AddHex(reinterpret_cast<ULONG_PTR>(record.ExceptionAddress) - reinterpret_cast<ULONG_PTR>(module));
        line.Add(")");
    }
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2) {
        line.Add(record.ExceptionInformation[0] == 0 ? ", reading " : ", writing ");
        line.AddHex(record.ExceptionInformation[1]);
    }
    if (in_text_shaping) line.Add(", in the system's text shaping");
    line.Add("\n");
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line.text, static_cast<DWORD>(line.size), &written, nullptr);
    ::TerminateProcess(::GetCurrentProcess(), in_text_shaping ? kSystemTextShapingCrash : record.ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Says which call failed, with the system's reason, for whoever reads why a campaign stopped.
bool Refused(const char* call) {
    std::fprintf(stderr, "fuzz worker: %s failed, system error %lu\n", call, ::GetLastError());
    return false;
}

std::wstring ThisProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (size == 0) return L"";
        if (size < path.size()) {
            path.resize(size);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

void EndAtOnceOnCrash() {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    ::SetUnhandledExceptionFilter(&EndAtOnce);
}

ChildProcessWorker::~ChildProcessWorker() { Kill(); }

bool ChildProcessWorker::Start(const Options& options, std::uint64_t first) {
    if (!mapping_) {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        mapping_.reset(
            ::CreateFileMappingW(INVALID_HANDLE_VALUE, &inherited, PAGE_READWRITE, 0, sizeof(Progress), nullptr));
        if (!mapping_) return Refused("CreateFileMappingW");
        progress_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Progress)));
        if (!progress_) return Refused("MapViewOfFile");
        job_.reset(::CreateJobObjectW(nullptr, nullptr));
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (job_ &&
            !::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
            job_.reset();
        }
    }
    std::memset(progress_.get(), 0, sizeof(Progress));
    progress().current = first;

    const std::wstring program = ThisProgram();
    if (program.empty()) return Refused("GetModuleFileNameW");
    std::wstring command = L"\"" + program + L"\" --target " + Wide(options.target) +
                           L" --seed " + std::to_wstring(options.seed) + L" --cases " + std::to_wstring(options.cases) +
                           L" --first " + std::to_wstring(first) + L" --worker " +
                           std::to_wstring(reinterpret_cast<std::uintptr_t>(mapping_.get()));
    // The worker writes to the supervisor's own stdout and stderr, so what Broken() says is seen.
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        if (handle && handle != INVALID_HANDLE_VALUE) {
            ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        }
    }
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                          &startup, &started)) {
        return Refused("CreateProcessW");
    }
    const win32::UniqueKernelHandle thread(started.hThread);
    process_.reset(started.hProcess);
    if (job_) ::AssignProcessToJobObject(job_.get(), process_.get());
    ::ResumeThread(thread.get());
    return true;
}

bool ChildProcessWorker::Running(bool& clean) {
    if (!process_) return false;
    if (::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) return true;
    DWORD code = 1;
    clean = ::GetExitCodeProcess(process_.get(), &code) && code == 0;
    exit_code_ = code;
    process_.reset();
    return false;
}

void ChildProcessWorker::Kill() {
    if (!process_) return;
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), INFINITE);
    process_.reset();
}

Progress* OpenProgress(const std::string& worker) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(worker.c_str(), &end, 10);
    if (worker.empty() || *end != '\0') return nullptr;
    HANDLE mapping = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value));
    return static_cast<Progress*>(::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Progress)));
}

}  // namespace selvane::fuzz
