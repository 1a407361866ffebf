// Start-up: Orvane against the floor, each started afresh as its own
// process, alternately, so that both see the same machine. With --form, the
// form alone (bench-form-probe) runs in the same rotation, for reference.
//   bench-startup <floor exe> <probe exe> [--form <form probe exe>] [--runs N]
#include "benchutil.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char **environ;

namespace {

// The probes end with _Exit at their first frame, before their scratch
// folders are removed: they all go into this one, removed at the end.
std::string scratch;

struct Run {
    bool ok = false;
    std::string platform;
    double ms = 0;
    long peakKb = 0;
    std::vector<std::pair<std::string, double>> phases;
};

// Starts `exe` with ORVANE_BENCH_T0 set to the moment before the spawn and
// reads its STARTUP line.
Run runOnce(const char *exe) {
    Run run;
    int fds[2];
    if (pipe(fds) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);

    std::vector<std::string> env;
    for (char **e = environ; *e; ++e)
        if (std::strncmp(*e, "ORVANE_BENCH_T0=", 16) != 0 && std::strncmp(*e, "TMPDIR=", 7) != 0)
            env.emplace_back(*e);
    if (!scratch.empty()) env.push_back("TMPDIR=" + scratch);
    const size_t t0Slot = env.size();
    env.emplace_back();
    std::vector<char *> envp;

    char *argv[] = {const_cast<char *>(exe), nullptr};
    pid_t pid = 0;
    env[t0Slot] = "ORVANE_BENCH_T0=" + std::to_string(bench::nowNs());
    for (auto &s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    const int spawned = posix_spawn(&pid, exe, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return run;
    }
    std::string out;
    char buffer[512];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);

    for (size_t at = out.find("PHASE\t"); at != std::string::npos; at = out.find("PHASE\t", at + 1)) {
        char name[64] = {};
        double when = 0;
        if (std::sscanf(out.c_str() + at, "PHASE\t%63[^\t]\t%lf", name, &when) == 2)
            run.phases.emplace_back(name, when);
    }
    const size_t at = out.find("STARTUP\t");
    if (at == std::string::npos) return run;
    char platform[64] = {};
    if (std::sscanf(out.c_str() + at, "STARTUP\t%63[^\t]\t%lf\t%ld", platform, &run.ms, &run.peakKb) == 3) {
        run.ok = true;
        run.platform = platform;
    }
    return run;
}

}  // namespace

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <floor exe> <probe exe> [--runs N]\n", argv[0]);
        return 2;
    }
    const int runs = int(bench::option(argc, argv, "--runs", 15));
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvane-startup-XXXXXX";
    if (mkdtemp(pattern.data())) scratch = pattern;
    const char *form = nullptr;
    for (int i = 3; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--form") == 0) form = argv[i + 1];
    std::vector<double> formMs;
    std::vector<long> formKb;
    std::vector<double> floorMs, orvaneMs;
    std::vector<long> floorKb, orvaneKb;
    std::string platform;
    using Phases = std::vector<std::pair<std::string, std::vector<double>>>;  // by first appearance
    Phases phases, floorPhases;
    auto collect = [](Phases &into, const Run &run) {
        for (const auto &[name, when] : run.phases) {
            auto it = std::find_if(into.begin(), into.end(), [&](const auto &p) { return p.first == name; });
            if (it == into.end()) it = into.insert(into.end(), {name, {}});
            it->second.push_back(when);
        }
    };
    // One unmeasured round first: libraries into the page cache.
    runOnce(argv[1]);
    runOnce(argv[2]);
    if (form) runOnce(form);
    for (int i = 0; i < runs; ++i) {
        const Run f = runOnce(argv[1]);
        const Run o = runOnce(argv[2]);
        if (form) {
            const Run a = runOnce(form);
            if (a.ok) {
                formMs.push_back(a.ms);
                formKb.push_back(a.peakKb);
            }
        }
        if (!f.ok || !o.ok) {
            std::fprintf(stderr, "run %d failed (floor %d, orvane %d)\n", i, f.ok, o.ok);
            return 2;
        }
        platform = o.platform;
        floorMs.push_back(f.ms);
        orvaneMs.push_back(o.ms);
        floorKb.push_back(f.peakKb);
        orvaneKb.push_back(o.peakKb);
        collect(phases, o);
        collect(floorPhases, f);
    }
    const double fMs = bench::median(floorMs), oMs = bench::median(orvaneMs);
    const double fKb = bench::median(floorKb), oKb = bench::median(orvaneKb);
    bench::result(platform, "1. Start-up: exec to first painted frame",
                  bench::fmt("<= 1.5 x floor (%.1f ms)", 1.5 * fMs),
                  bench::fmt("%.1f ms = %.2f x floor %.1f ms (median of %d)", oMs, oMs / fMs, fMs, runs),
                  oMs <= 1.5 * fMs);
    bench::result(platform, "1. Start-up: peak resident memory",
                  bench::fmt("<= 1.5 x floor (%.1f MB)", 1.5 * fKb / 1024),
                  bench::fmt("%.1f MB = %.2f x floor %.1f MB", oKb / 1024, oKb / fKb, fKb / 1024),
                  oKb <= 1.5 * fKb);
    bench::info(
        platform, "1. Start-up: Orvane time min / max",
        bench::fmt("%.1f / %.1f ms", bench::percentile(orvaneMs, 0), bench::percentile(orvaneMs, 100)));
    bench::info(platform, "1. Start-up: floor time min / max",
                bench::fmt("%.1f / %.1f ms", bench::percentile(floorMs, 0), bench::percentile(floorMs, 100)));
    auto marks = [](const Phases &list, double painted) {
        std::string text;
        for (const auto &[name, when] : list)
            text += bench::fmt("%s%s %.1f", text.empty() ? "" : ", ", name.c_str(), bench::median(when));
        return text + bench::fmt(", painted %.1f", painted);
    };
    if (!formMs.empty())
        bench::info(platform, "1. Start-up: the form alone, no Orvane code (medians)",
                    bench::fmt("%.1f ms = %.2f x floor, %.1f MB = %.2f x floor", bench::median(formMs),
                               bench::median(formMs) / fMs, bench::median(formKb) / 1024,
                               bench::median(formKb) / fKb));
    bench::info(platform, "1. Start-up: Orvane's way (ms since exec, medians)", marks(phases, oMs));
    bench::info(platform, "1. Start-up: the floor's way (ms since exec, medians)", marks(floorPhases, fMs));
    if (!scratch.empty()) std::filesystem::remove_all(scratch);
    return 0;
}
