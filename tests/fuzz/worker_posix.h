// The supervisor's worker on Linux: a forked copy of the campaign program that runs the cases
// itself, sharing its progress through an anonymous shared mapping.
#pragma once

#include <sys/types.h>

#include "tests/fuzz/campaign.h"

namespace selvane::fuzz {

class ForkedWorker final : public WorkerProcess {
public:
    explicit ForkedWorker(const std::vector<Target>& targets);
    ~ForkedWorker() override;

    bool Start(const Options& options, std::uint64_t first) override;
    Progress& progress() override { return *progress_; }
    bool Running(bool& clean) override;
    void Kill() override;

private:
    const std::vector<Target>& targets_;
    Progress* progress_ = nullptr;
    pid_t pid_ = -1;
};

}  // namespace selvane::fuzz
