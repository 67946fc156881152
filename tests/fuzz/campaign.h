// What the project's fuzzing campaigns share. Every case is drawn from the campaign's seed and
// its own number, so that any case can be replayed alone. A supervisor runs the cases in a
// worker process that it watches through a shared progress record: a worker that dies is a
// crash of the case it was running, one that stops making progress is a hang of that case, and
// the campaign goes on in a new worker from the case after it. Each crash and hang is printed
// with the command that replays it; the last line sums the campaign up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace selvane::fuzz {

// SplitMix64, so that a case is the same on every compiler and platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next();
    // 0 to bound - 1; 0 when bound is 0.
    std::uint64_t Below(std::uint64_t bound);
    // True one time in n.
    bool OneIn(std::uint64_t n) { return Below(n) == 0; }
    template <class T>
    const T& Pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(Below(items.size()))];
    }

private:
    std::uint64_t state_;
};

// The generator of case `index` of the campaign seeded `seed`.
Random CaseRandom(std::uint64_t seed, std::uint64_t index);

struct Options {
    std::string target;          // which campaign of the program
    std::uint64_t seed = 1;
    std::uint64_t first_case = 0;
    std::uint64_t cases = 0;     // 0: as many as the time allows
    double seconds = 0;          // 0: no time limit
    double hang_seconds = 20;    // a case that takes longer is a hang
    bool replay = false;         // --case K: case K alone, in this process, for a debugger
    // Set by the supervisor for the worker it starts: where the progress record is shared.
    std::string worker;
};

// --target NAME --seed S --cases N --seconds T --first K --hang-seconds H --case K.
// Returns an error message, or empty.
std::string ParseOptions(const std::vector<std::string>& args, Options& options);

// What a worker and its supervisor share; the worker writes, the supervisor reads.
struct Progress {
    volatile std::uint64_t current;   // the case being run
    volatile std::uint64_t finished;  // cases finished by this worker
    volatile std::uint64_t units;     // calls or loads made by this worker
    volatile std::uint32_t stop;      // set by the supervisor: finish the case and end
    volatile std::uint32_t ended;     // set by the worker when it ends of its own accord
};

// One campaign target: runs case `index` from `random`, adding the calls or loads it makes to
// `units`. A fault the target can detect itself (a broken invariant) ends the process after
// printing what broke, and counts as a crash.
struct Target {
    std::string name;
    std::string unit;  // what units counts: "calls", "loads"
    std::function<void(Random& random, std::uint64_t index, volatile std::uint64_t& units)> run;
};

// The platform's side of the supervisor: starting, watching and stopping one worker process.
class WorkerProcess {
public:
    virtual ~WorkerProcess() = default;
    // Starts a worker for the cases from first on; the worker's progress appears in progress().
    virtual bool Start(const Options& options, std::uint64_t first) = 0;
    virtual Progress& progress() = 0;
    // Whether it still runs; when it doesn't, whether it ended cleanly.
    virtual bool Running(bool& clean) = 0;
    // Whether the worker, ended, crashed inside the system's text shaping rather than in the
    // control: Wine 8's 64-bit gdi32 faults in its OpenType positioning (GPOS_apply_MarkToMark,
    // GPOS_apply_MarkToLigature) on some random text, a plain EDIT with no control as well.
    virtual bool CrashedInSystemTextShaping() const { return false; }
    virtual void Kill() = 0;
};

// The worker's side: runs cases from options.first_case on until options.cases are done or the
// supervisor asks it to stop, telling the supervisor each case before it starts it.
int RunWorkerCases(const Target& target, const Options& options, Progress& progress);

// The worker's side: maps the progress record the supervisor named in options.worker.
Progress* OpenProgress(const std::string& worker);

// Runs a campaign of the targets under the supervisor, or a worker, or a replay, as the options
// say; returns the process's exit code (0 when no case crashed or hung).
int RunCampaign(const std::vector<Target>& targets, const Options& options, const std::string& program,
                WorkerProcess& worker);

// A broken invariant: prints it with the case and ends the process as a crash.
[[noreturn]] void Broken(const std::string& what);

// Strings a caller might send where a path or a pattern goes: pieces of real paths, wildcards,
// separators, names outside ASCII, and lengths at both sides of the system's limits.
std::u16string RandomPathText(Random& random);

}  // namespace selvane::fuzz
