#include "tests/fuzz/worker_posix.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace selvane::fuzz {

ForkedWorker::ForkedWorker(const std::vector<Target>& targets) : targets_(targets) {
    void* shared = ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared != MAP_FAILED) progress_ = static_cast<Progress*>(shared);
}

ForkedWorker::~ForkedWorker() {
    Kill();
    if (progress_) ::munmap(progress_, sizeof(Progress));
}

bool ForkedWorker::Start(const Options& options, std::uint64_t first) {
    if (!progress_) return false;
    std::memset(const_cast<Progress*>(progress_), 0, sizeof(Progress));
    progress_->current = first;
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        Options mine = options;
        mine.first_case = first;
        for (const Target& target : targets_) {
            if (target.name == options.target) RunWorkerCases(target, mine, *progress_);
        }
        std::fflush(nullptr);
        ::_exit(0);
    }
    return true;
}

bool ForkedWorker::Running(bool& clean) {
    if (pid_ <= 0) return false;
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == 0) return true;
    clean = done == pid_ && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    pid_ = -1;
    return false;
}

void ForkedWorker::Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

Progress* OpenProgress(const std::string&) { return nullptr; }

}  // namespace selvane::fuzz
