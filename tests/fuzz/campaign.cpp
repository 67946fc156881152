#include "tests/fuzz/campaign.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace selvane::fuzz {
namespace {

using Clock = std::chrono::steady_clock;

// What Broken() names: the case this process is running.
std::string g_target;
std::uint64_t g_seed = 0;
std::uint64_t g_case = 0;

std::string ReplayCommand(const std::string& program, const Options& options, std::uint64_t index) {
    return program + " --target " + options.target + " --seed " + std::to_string(options.seed) + " --case " +
           std::to_string(index);
}

const Target* FindTarget(const std::vector<Target>& targets, const std::string& name) {
    for (const Target& target : targets) {
        if (target.name == name) return &target;
    }
    return nullptr;
}

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

int RunWorkerCases(const Target& target, const Options& options, Progress& progress) {
    for (std::uint64_t done = 0; options.cases == 0 || done < options.cases; ++done) {
        const std::uint64_t index = options.first_case + done;
        progress.current = index;
        g_case = index;
        Random random = CaseRandom(options.seed, index);
        target.run(random, index, progress.units);
        progress.finished = progress.finished + 1;
        if (progress.stop) break;
    }
    progress.ended = 1;
    return 0;
}

namespace {

struct Totals {
    std::uint64_t cases = 0;
    std::uint64_t units = 0;
    std::uint64_t crashes = 0;
    std::uint64_t hangs = 0;
    std::uint64_t system_crashes = 0;  // in the system's text shaping, not the control's
};

int Supervise(const Target& target, const Options& options, const std::string& program, WorkerProcess& worker) {
    const Clock::time_point start = Clock::now();
    const std::uint64_t end = options.cases == 0 ? UINT64_MAX : options.first_case + options.cases;
    Totals totals;
    std::uint64_t next = options.first_case;
    std::printf("fuzz %s: seed %llu, from case %llu", target.name.c_str(),
                static_cast<unsigned long long>(options.seed), static_cast<unsigned long long>(next));
    if (options.cases) std::printf(", %llu cases", static_cast<unsigned long long>(options.cases));
    if (options.seconds > 0) std::printf(", %.0f s", options.seconds);
    std::printf("\n");
    std::fflush(stdout);

    while (next < end && (options.seconds <= 0 || Since(start) < options.seconds)) {
        Options mine = options;
        mine.cases = end == UINT64_MAX ? 0 : end - next;
        // A start the system refused once (a process not made on a loaded machine) is tried once
        // more; a second refusal ends the campaign.
        if (!worker.Start(mine, next)) {
            std::printf("fuzz %s: a worker didn't start; trying once more\n", target.name.c_str());
            std::fflush(stdout);
            std::this_thread::sleep_for(std::chrono::seconds(1));
            if (!worker.Start(mine, next)) {
                std::printf("fuzz %s: can't start a worker\n", target.name.c_str());
                return 2;
            }
        }
        Progress& progress = worker.progress();
        std::uint64_t seen_finished = 0;
        Clock::time_point last_progress = Clock::now();
        bool clean = false;
        bool hung = false;
        while (worker.Running(clean)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (progress.finished != seen_finished) {
                seen_finished = progress.finished;
                last_progress = Clock::now();
            }
            if (options.seconds > 0 && Since(start) >= options.seconds) progress.stop = 1;
            if (Since(last_progress) > options.hang_seconds) {
                worker.Kill();
                hung = true;
                clean = false;
                break;
            }
        }
        totals.cases += progress.finished;
        totals.units += progress.units;
        if (clean && progress.ended) {
            next = progress.finished ? progress.current + 1 : end;
            continue;
        }
        // The case it was running is the one that broke it.
        const std::uint64_t broken = progress.current;
        ++totals.cases;
        const bool system = !hung && worker.CrashedInSystemTextShaping();
        if (hung) ++totals.hangs;
        else if (system) ++totals.system_crashes;
        else ++totals.crashes;
        std::printf("%s: %s seed %llu case %llu (replay: %s)\n",
                    hung ? "hang" : system ? "crash in the system's text shaping (gdi32), not the control's" : "crash",
                    target.name.c_str(),
                    static_cast<unsigned long long>(options.seed), static_cast<unsigned long long>(broken),
                    ReplayCommand(program, options, broken).c_str());
        std::fflush(stdout);
        next = broken + 1;
    }
    std::printf("fuzz %s: seed %llu, %llu cases, %llu %s, %llu crashes, %llu hangs, %llu crashes in the system's "
                "text shaping, %.1f s\n",
                target.name.c_str(), static_cast<unsigned long long>(options.seed),
                static_cast<unsigned long long>(totals.cases), static_cast<unsigned long long>(totals.units),
                target.unit.c_str(), static_cast<unsigned long long>(totals.crashes),
                static_cast<unsigned long long>(totals.hangs), static_cast<unsigned long long>(totals.system_crashes),
                Since(start));
    std::fflush(stdout);
    return totals.crashes + totals.hangs == 0 ? 0 : 1;
}

bool ParseNumber(const std::string& text, std::uint64_t& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtoull(text.c_str(), &end, 10);
    return *end == '\0';
}

bool ParseSeconds(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && value >= 0;
}

}  // namespace

std::uint64_t Random::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t Random::Below(std::uint64_t bound) { return bound == 0 ? 0 : Next() % bound; }

Random CaseRandom(std::uint64_t seed, std::uint64_t index) {
    Random mix(seed ^ (index * 0xD1B54A32D192ED03ull));
    return Random(mix.Next());
}

std::string ParseOptions(const std::vector<std::string>& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) return "missing a value after " + name;
        const std::string& value = args[++i];
        bool good = true;
        if (name == "--target") options.target = value;
        else if (name == "--seed") good = ParseNumber(value, options.seed);
        else if (name == "--cases") good = ParseNumber(value, options.cases);
        else if (name == "--first") good = ParseNumber(value, options.first_case);
        else if (name == "--seconds") good = ParseSeconds(value, options.seconds);
        else if (name == "--hang-seconds") good = ParseSeconds(value, options.hang_seconds);
        else if (name == "--case") {
            good = ParseNumber(value, options.first_case);
            options.cases = 1;
            options.replay = true;
        } else if (name == "--worker") options.worker = value;
        else return "unknown option " + name;
        if (!good) return "bad value for " + name + ": " + value;
    }
    if (options.target.empty()) return "--target is required";
    return "";
}

int RunCampaign(const std::vector<Target>& targets, const Options& options, const std::string& program,
                WorkerProcess& worker) {
    const Target* target = FindTarget(targets, options.target);
    if (!target) {
        std::fprintf(stderr, "no target named %s; the targets are:", options.target.c_str());
        for (const Target& known : targets) std::fprintf(stderr, " %s", known.name.c_str());
        std::fprintf(stderr, "\n");
        return 2;
    }
    g_target = target->name;
    g_seed = options.seed;
    if (!options.worker.empty()) {
        Progress* progress = OpenProgress(options.worker);
        if (!progress) return 2;
        return RunWorkerCases(*target, options, *progress);
    }
    if (options.replay) {
        Progress progress{};
        RunWorkerCases(*target, options, progress);
        std::printf("replayed %s seed %llu case %llu: no fault, %llu %s\n", target->name.c_str(),
                    static_cast<unsigned long long>(options.seed), static_cast<unsigned long long>(options.first_case),
                    static_cast<unsigned long long>(progress.units), target->unit.c_str());
        return 0;
    }
    return Supervise(*target, options, program, worker);
}

void Broken(const std::string& what) {
    std::fprintf(stderr, "broken in %s seed %llu case %llu: %s\n", g_target.c_str(),
                 static_cast<unsigned long long>(g_seed), static_cast<unsigned long long>(g_case), what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::u16string RandomPathText(Random& random) {
    static const std::vector<std::u16string> pieces = {
        u"c:", u"C:", u"d:", u"D:", u"e:", u"n:", u"x:", u"a:", u"q:", u"\\", u"\\\\", u"/", u".", u"..",
        u"*", u"?", u"*.*", u"*.txt", u"*.", u"data", u"sub", u"docs", u"docs\\letters", u"many", u"report.txt",
        u"a.txt", u"nine.txt", u"Program Files", u"my.files", u"node.js", u"\\\\fs1\\pub", u"\\\\fakesrv\\share",
        u"\\\\?\\", u"\\\\.\\", u"D:\\docs", u"N:\\pub", u"E:\\", u"caf\u00e9", u"\u4e2d\u6587", u"\xd800", u" ",
        u"[", u"]", u":", u";", u"<", u">", u"\"", u"|", u"con", u"nul", u"com1", u"lpt1", u"$", u"%TEMP%"};
    static const std::vector<std::size_t> lengths = {255,   256,   259,   260,   261,   32759, 32760, 32761,
                                                     32762, 32763, 32764, 32765, 32766, 32767, 32768, 32769,
                                                     40000, 65535, 65536, 65537, 70000};
    switch (random.Below(8)) {
    case 0:
        return u"";
    case 1: {  // any 16-bit units, NUL included
        std::u16string text(static_cast<std::size_t>(random.Below(64)), u'\0');
        for (char16_t& unit : text) unit = static_cast<char16_t>(random.Below(0x10000));
        return text;
    }
    case 2:
    case 3: {  // a long run of one piece after a short head, at or near a limit
        std::u16string text = random.Pick(pieces) + random.Pick(pieces);
        const std::size_t length =
            random.OneIn(2) ? random.Pick(lengths) : static_cast<std::size_t>(random.Below(70001));
        const std::u16string fill = random.Pick(pieces);
        while (text.size() < length) text += fill;
        text.resize(length);
        if (random.OneIn(2) && length > 8) text.replace(length - 8, 8, u"\\a.txt\\*");
        return text;
    }
    default: {  // a few pieces joined
        std::u16string text;
        for (std::uint64_t n = 1 + random.Below(8); n > 0; --n) text += random.Pick(pieces);
        return text;
    }
    }
}

}  // namespace selvane::fuzz
